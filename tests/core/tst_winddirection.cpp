// SPDX-License-Identifier: MIT
#include "core/apperror.h"
#include "core/numberformat.h"
#include "core/winddirection.h"
#include "core/windfigures.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <limits>

class tst_WindDirection : public QObject
{
    Q_OBJECT

private slots:
    void normalisesOnceEachWay_data();
    void normalisesOnceEachWay();
    void wrapsIntoOneTurn_data();
    void wrapsIntoOneTurn();
    void compassPointBoundaries_data();
    void compassPointBoundaries();
    void nonFiniteAngleFails_data();
    void nonFiniteAngleFails();
};

// The readout rounds the normalised angle, the compass gets that readout plus
// 180, and the point comes from the unrounded angle.
void tst_WindDirection::normalisesOnceEachWay_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("normalised");
    QTest::addColumn<QString>("readout");
    QTest::addColumn<QString>("compass");
    QTest::addColumn<QString>("point");

    const struct
    {
        const char *name;
        double angle;
        double normalised;
        const char *readout;
        const char *compass;
        const char *point;
    } rows[] = {
        {"0", 0, 0, "0", "180", "N"},
        {"23 last of north", 23, 23, "23", "203", "N"},
        {"23.4 rounds into north, no point", 23.4, 23.4, "23", "203", ""},
        {"23.5 between rows", 23.5, 23.5, "24", "204", ""},
        {"22.6 rounds to 23, still north", 22.6, 22.6, "23", "203", "N"},
        {"24 first of north-east", 24, 24, "24", "204", "NE"},
        {"112.7 unrounded east", 112.7, 112.7, "113", "293", "E"},
        {"338 last of north-west", 338, 338, "338", "518", "NW"},
        {"339 north again", 339, 339, "339", "519", "N"},
        {"359 not above 359", 359, 359, "359", "539", "N"},
        {"359.5 goes negative", 359.5, -0.5, "-1", "179", ""},
        {"360 becomes 0", 360, 0, "0", "180", "N"},
        {"720 corrected once only", 720, 360, "360", "540", "N"},
        {"-10 becomes 350", -10, 350, "350", "530", "N"},
        {"-400 corrected once only", -400, -40, "-40", "140", ""},
        {"-360 becomes 0", -360, 0, "0", "180", "N"},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << row.angle << row.normalised << QString(row.readout)
                                << QString(row.compass) << QString(row.point);
}

void tst_WindDirection::normalisesOnceEachWay()
{
    QFETCH(double, angle);
    QFETCH(double, normalised);
    QFETCH(QString, readout);
    QFETCH(QString, compass);
    QFETCH(QString, point);

    const QLocale locale = QLocale::c();
    const double result = normalizedAngle(angle);
    QCOMPARE(result, normalised);
    const QString shown = formatWhole(result, locale);
    QCOMPARE(shown, readout);
    // The compass turns to the whole degree the readout shows, its arrow
    // flowing with the wind.
    QCOMPARE(QString::number(windFigures(angle, 0).shownDegrees.value() + 180), compass);
    QCOMPARE(compassPoint(result), point);
}

void tst_WindDirection::compassPointBoundaries_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<QString>("point");

    const struct
    {
        int from;
        int to;
        const char *point;
    } rows[]
        = {{0, 23, "N"},     {24, 68, "NE"},  {69, 113, "E"},   {114, 158, "SE"}, {159, 203, "S"},
           {204, 248, "SW"}, {249, 293, "W"}, {294, 338, "NW"}, {339, 360, "N"}};
    for (const auto &row : rows) {
        const QString point(row.point);
        QTest::addRow("%d first of %s", row.from, row.point) << double(row.from) << point;
        QTest::addRow("%d last of %s", row.to, row.point) << double(row.to) << point;
        QTest::addRow("%d.5 after %s", row.to, row.point) << row.to + 0.5 << QString();
    }
    QTest::newRow("just below 0") << -0.5 << "";
    QTest::newRow("just above 23") << std::nextafter(23.0, 24.0) << "";
    QTest::newRow("just below 24") << std::nextafter(24.0, 23.0) << "";
}

void tst_WindDirection::compassPointBoundaries()
{
    QFETCH(double, angle);
    QFETCH(QString, point);
    QCOMPARE(compassPoint(angle), point);
}

// The shortest text of the result, so that -0 and a stray last digit show.
void tst_WindDirection::wrapsIntoOneTurn_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("wrapped");

    QTest::newRow("in range") << 123.45 << 2 << "123.45";
    QTest::newRow("359.96 as the window stores it") << -0.040000000000020464 << 2 << "359.96";
    QTest::newRow("two full turns") << 720.0 << 2 << "0";
    QTest::newRow("rounds up to a full turn") << 359.996 << 2 << "0";
    QTest::newRow("minus zero") << -0.0 << 2 << "0";
    QTest::newRow("three turns and a quarter degree below") << -1080.25 << 2 << "359.75";
    QTest::newRow("a huge angle") << 1e15 << 2 << "280";
    QTest::newRow("tenths: 359.95 rounds up to a full turn") << 359.95 << 1 << "0";
    QTest::newRow("whole degrees: 359.5") << 359.5 << 0 << "0";
}

void tst_WindDirection::wrapsIntoOneTurn()
{
    QFETCH(double, angle);
    QFETCH(int, decimals);
    QFETCH(QString, wrapped);
    QCOMPARE(QString::number(wrappedDegrees(angle, decimals), 'g', QLocale::FloatingPointShortest),
             wrapped);
}

void tst_WindDirection::nonFiniteAngleFails_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<AppError::Kind>("kind");

    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("+inf") << inf << AppError::Kind::Overflow;
    QTest::newRow("-inf") << -inf << AppError::Kind::Overflow;
    QTest::newRow("NaN, which no correction touches")
        << std::numeric_limits<double>::quiet_NaN() << AppError::Kind::InvalidFloatOperation;
}

void tst_WindDirection::nonFiniteAngleFails()
{
    QFETCH(double, angle);
    QFETCH(AppError::Kind, kind);
    try {
        QVERIFY_THROWS_EXCEPTION(AppError, wrappedDegrees(angle, 2));
        normalizedAngle(angle);
        QFAIL("a non-finite angle was accepted");
    } catch (const AppError &error) {
        QCOMPARE(error.kind(), kind);
        QCOMPARE(error.description(), AppError::kindName(kind));
    }
}

// One correction leaves a huge direction huge; the compass must still get
// digits, not an exponent.

QTEST_GUILESS_MAIN(tst_WindDirection)
#include "tst_winddirection.moc"
