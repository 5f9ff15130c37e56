// SPDX-License-Identifier: MIT
#include "windowfixture.h"

#include "core/apperror.h"
#include "widgets/barlabel.h"
#include "widgets/compasswidget.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

// The speed readouts in the order they are written: km/h, mph, knots,
// Beaufort.
QStringList speedTexts(const WindowFixture &fixture)
{
    const WindWindowControls &controls = fixture.controls();
    return {controls.kmhReadout->text(), controls.mphReadout->text(), controls.knotsReadout->text(),
            controls.beaufortReadout->text()};
}

// All four bars stand at the same Top, which matches a value given to three
// decimals.
void expectBarsAt(const WindowFixture &fixture, float top)
{
    for (const BarLabel *bar : fixture.controls().speedBars)
        QCOMPARE(bar->top(), top);
}

QStringList conditionTexts(const WindowFixture &fixture)
{
    return {fixture.controls().descriptionBox->text(), fixture.controls().seaBox->text(),
            fixture.controls().landBox->text()};
}

} // namespace

class tst_WindDisplay : public QObject
{
    Q_OBJECT

private slots:
    void showsSpeed_data();
    void showsSpeed();
    void showsDirection_data();
    void showsDirection();
    void conditionBoxesFollowTheShownSpeed_data();
    void conditionBoxesFollowTheShownSpeed();
    void decimalCommaLocale();
    void failurePartWayKeepsEarlierReadouts_data();
    void failurePartWayKeepsEarlierReadouts();
    void nonFiniteAngleShowsNothing();
    void clearBlanksOnlyTheSpeedReadouts();
    void readoutsDescribeThemselves();
};

void tst_WindDisplay::showsSpeed_data()
{
    QTest::addColumn<double>("speed");
    QTest::addColumn<double>("storedSpeed");
    QTest::addColumn<QStringList>("readouts"); // km/h, mph, knots, Beaufort
    QTest::addColumn<float>("top");

    QTest::newRow("negative is clamped to 0")
        << -2.5 << 0.0 << QStringList{"0.0", "0.0", "0.0", "0.1"} << 4680.0f;
    QTest::newRow("negative zero is not negative, shows no sign")
        << -0.0 << -0.0 << QStringList{"0.0", "0.0", "0.0", "0.1"} << 4680.0f;
    QTest::newRow("bars follow the unrounded speed")
        << 0.0125 << 0.0125 << QStringList{"0.0", "0.0", "0.0", "0.1"} << 4679.087f;
    QTest::newRow("1 m/s") << 1.0 << 1.0 << QStringList{"3.6", "2.2", "1.9", "1.6"} << 4606.986f;
    QTest::newRow("10 m/s") << 10.0 << 10.0 << QStringList{"36.0", "22.4", "19.4", "5.8"}
                            << 3949.859f;
    QTest::newRow("100 m/s, bars unclamped")
        << 100.0 << 100.0 << QStringList{"360.0", "223.7", "194.4", "12"} << -2621.408f;
}

void tst_WindDisplay::showsSpeed()
{
    QFETCH(double, speed);
    QFETCH(double, storedSpeed);
    QFETCH(QStringList, readouts);
    QFETCH(float, top);

    WindowFixture fixture;
    fixture.state().speedMetresPerSecond = speed;
    fixture.refreshDisplay();

    QCOMPARE(fixture.state().speedMetresPerSecond, storedSpeed);
    QCOMPARE(std::signbit(fixture.state().speedMetresPerSecond), std::signbit(storedSpeed));
    QCOMPARE(speedTexts(fixture), readouts);
    expectBarsAt(fixture, top);
}

void tst_WindDisplay::showsDirection_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("storedAngle");
    QTest::addColumn<QString>("degrees");
    QTest::addColumn<double>("bearing"); // the arrow's, which flows with the wind
    QTest::addColumn<QString>("point");

    QTest::newRow("720 stays 360") << 720.0 << 360.0 << "360" << 180.0 << "N";
    QTest::newRow("359.5 goes negative") << 359.5 << -0.5 << "-1" << 179.0 << "";
    QTest::newRow("-400 stays negative") << -400.0 << -40.0 << "-40" << 140.0 << "";
    QTest::newRow("112.7") << 112.7 << 112.7 << "113" << 293.0 << "E";
}

void tst_WindDisplay::showsDirection()
{
    QFETCH(double, angle);
    QFETCH(double, storedAngle);
    QFETCH(QString, degrees);
    QFETCH(double, bearing);
    QFETCH(QString, point);

    WindowFixture fixture;
    fixture.state().directionDegrees = angle;
    fixture.refreshDisplay();

    QCOMPARE(fixture.state().directionDegrees, storedAngle);
    QCOMPARE(fixture.controls().degreesReadout->text(), degrees);
    QCOMPARE(fixture.controls().compassPointReadout->text(), point);
    QCOMPARE(fixture.controls().compassGauge->arrowBearing(), bearing);
}

void tst_WindDisplay::conditionBoxesFollowTheShownSpeed_data()
{
    QTest::addColumn<double>("speed");
    QTest::addColumn<QStringList>("texts");

    // 0.6 km/h gives 0.7: force 1 at sea and in words, still calm on land.
    QTest::newRow("0.6 km/h") << 0.6 / 3.6
                              << QStringList{"DESCRIPTION: Light air",
                                             "SEA CONDITION: Ripples without crests",
                                             "LAND CONDITION: Calm. Smoke rises vertically"};
    // 37.96 km/h shows as 38.0, which gives 6.0 and force 6; unrounded it
    // would give 5.9 and force 5.
    QTest::newRow("rounded readout decides")
        << 37.96 / 3.6
        << QStringList{"DESCRIPTION: Strong breeze",
                       "SEA CONDITION: Large waves with foam crests and some spray",
                       "LAND CONDITION: Large branches in motion. Whistling heard in "
                       "overhead wires. Umbrella use becomes difficult"};
}

void tst_WindDisplay::conditionBoxesFollowTheShownSpeed()
{
    QFETCH(double, speed);
    QFETCH(QStringList, texts);

    WindowFixture fixture;
    fixture.controls().seaBox->setText(QStringLiteral("typed by the user"));
    fixture.state().speedMetresPerSecond = speed;
    fixture.refreshDisplay();
    QCOMPARE(conditionTexts(fixture), texts);
}

// A whole refresh under a decimal-comma locale: every readout written with
// a comma must read back, or mph, knots and Beaufort could not be derived.
void tst_WindDisplay::decimalCommaLocale()
{
    WindowFixture fixture;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    fixture.state().directionDegrees = -400;
    fixture.state().speedMetresPerSecond = 1;
    fixture.refreshDisplay();
    QCOMPARE(fixture.controls().degreesReadout->text(), QStringLiteral("-40"));
    QCOMPARE(speedTexts(fixture), (QStringList{"3,6", "2,2", "1,9", "1,6"}));

    fixture.state().speedMetresPerSecond = 10;
    fixture.refreshDisplay();
    QCOMPARE(speedTexts(fixture), (QStringList{"36,0", "22,4", "19,4", "5,8"}));

    fixture.state().speedMetresPerSecond = 1000;
    fixture.refreshDisplay();
    QCOMPARE(speedTexts(fixture), (QStringList{"3600,0", "2236,9", "1943,8", "12"}));
}

void tst_WindDisplay::failurePartWayKeepsEarlierReadouts_data()
{
    QTest::addColumn<double>("speed");
    QTest::addColumn<AppError::Kind>("kind");
    QTest::addColumn<bool>("kmhShown");

    const double huge = 1e308;
    QTest::newRow("infinite speed fails at km/h") << huge * 10 << AppError::Kind::Overflow << false;
    QTest::newRow("NaN fails at km/h") << std::numeric_limits<double>::quiet_NaN()
                                       << AppError::Kind::InvalidFloatOperation << false;
    QTest::newRow("km/h fits, bar Top overflows a double")
        << 4e307 << AppError::Kind::Overflow << true;
    QTest::newRow("km/h fits, bar Top overflows a float")
        << 1e38 << AppError::Kind::Overflow << true;
}

void tst_WindDisplay::failurePartWayKeepsEarlierReadouts()
{
    QFETCH(double, speed);
    QFETCH(AppError::Kind, kind);
    QFETCH(bool, kmhShown);

    WindowFixture fixture;
    fixture.state().speedMetresPerSecond = 1;
    fixture.refreshDisplay();
    const QStringList before = speedTexts(fixture);
    const QStringList conditionsBefore = conditionTexts(fixture);

    fixture.state().speedMetresPerSecond = speed;
    try {
        fixture.refreshDisplay();
        QFAIL("a speed that cannot be shown was accepted");
    } catch (const AppError &error) {
        QCOMPARE(error.kind(), kind);
        QCOMPARE(error.description(), AppError::kindName(kind));
    }

    QStringList expected = before;
    if (kmhShown) {
        const QString kmh = fixture.controls().kmhReadout->text();
        QCOMPARE(QLocale().toDouble(kmh), speed * 3.6);
        expected[0] = kmh;
    }
    QCOMPARE(speedTexts(fixture), expected);
    expectBarsAt(fixture, 4606.986f);
    QCOMPARE(conditionTexts(fixture), conditionsBefore);
}

void tst_WindDisplay::nonFiniteAngleShowsNothing()
{
    WindowFixture fixture;
    fixture.state().directionDegrees = 90;
    fixture.refreshDisplay();

    fixture.state().directionDegrees = std::numeric_limits<double>::quiet_NaN();
    QVERIFY_THROWS_EXCEPTION(AppError, fixture.refreshDisplay());
    QCOMPARE(fixture.controls().degreesReadout->text(), QStringLiteral("90"));
    QCOMPARE(fixture.controls().compassPointReadout->text(), QStringLiteral("E"));
}

void tst_WindDisplay::clearBlanksOnlyTheSpeedReadouts()
{
    WindowFixture fixture;
    fixture.state().directionDegrees = 45;
    fixture.state().speedMetresPerSecond = 10;
    fixture.refreshDisplay();
    const QStringList conditions = conditionTexts(fixture);

    fixture.clearSpeedReadouts();
    QCOMPARE(speedTexts(fixture), QStringList(4, QString()));
    QCOMPARE(fixture.state().speedMetresPerSecond, 10.0);
    expectBarsAt(fixture, 3949.859f);
    QCOMPARE(conditionTexts(fixture), conditions);
    QCOMPARE(fixture.controls().degreesReadout->text(), QStringLiteral("45"));
    QCOMPARE(fixture.controls().compassPointReadout->text(), QStringLiteral("NE"));

    fixture.refreshDisplay();
    QCOMPARE(speedTexts(fixture), (QStringList{"36.0", "22.4", "19.4", "5.8"}));
}

// A screen reader hears what each readout is about, and its name is what the
// readout shows right now.
void tst_WindDisplay::readoutsDescribeThemselves()
{
    WindowFixture fixture;
    fixture.state().directionDegrees = 90;
    fixture.state().speedMetresPerSecond = 10;
    fixture.refreshDisplay();

    const QList<QPair<QWidget *, QString>> described = {
        {fixture.controls().degreesReadout, "Wind direction in degrees"},
        {fixture.controls().compassPointReadout, "Wind direction as a compass point"},
        {fixture.controls().kmhReadout, "Wind speed in km/h"},
        {fixture.controls().mphReadout, "Wind speed in mph"},
        {fixture.controls().knotsReadout, "Wind speed in knots"},
        {fixture.controls().beaufortReadout, "Wind force on the Beaufort scale"},
        {fixture.controls().descriptionBox, "Wind description"},
        {fixture.controls().seaBox, "Sea condition"},
        {fixture.controls().landBox, "Land condition"},
    };
    const auto shownText = [](QWidget *widget) {
        if (auto *label = qobject_cast<QLabel *>(widget))
            return label->text();
        return qobject_cast<QLineEdit *>(widget)->text();
    };
    for (const auto &[widget, description] : described) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Description), description);
        QVERIFY(!shownText(widget).isEmpty());
        QCOMPARE(accessible->text(QAccessible::Name), shownText(widget));
    }

    // The names follow the next refresh.
    fixture.state().speedMetresPerSecond = 100;
    fixture.refreshDisplay();
    QCOMPARE(QAccessible::queryAccessibleInterface(fixture.controls().kmhReadout)
                 ->text(QAccessible::Name),
             QStringLiteral("360.0"));
    QCOMPARE(QAccessible::queryAccessibleInterface(fixture.controls().descriptionBox)
                 ->text(QAccessible::Name),
             QStringLiteral("DESCRIPTION: Hurricane"));
}

QTEST_MAIN(tst_WindDisplay)
#include "tst_winddisplay.moc"
