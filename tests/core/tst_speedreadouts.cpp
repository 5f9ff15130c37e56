// SPDX-License-Identifier: MIT
// What the main window shows for a speed, and what it shares: each unit is
// converted from metres per second and rounded once, so the window's knots
// and a chartplotter's agree to the tenth.

#include "core/nmeasentence.h"
#include "core/numberformat.h"
#include "core/windfigures.h"

#include <QLocale>
#include <QTest>

class tst_SpeedReadouts : public QObject
{
    Q_OBJECT

private slots:
    void speedReadoutsRoundOnce_data();
    void speedReadoutsRoundOnce();
    void sharedSentencesAgreeWithTheReadouts_data();
    void sharedSentencesAgreeWithTheReadouts();
};

void tst_SpeedReadouts::speedReadoutsRoundOnce_data()
{
    QTest::addColumn<double>("speed");
    QTest::addColumn<QString>("kmh");
    QTest::addColumn<QString>("mph");
    QTest::addColumn<QString>("knots");
    QTest::addColumn<QString>("barTop");

    QTest::newRow("calm") << 0.0 << "0.0"
                          << "0.0"
                          << "0.0"
                          << "4680.000";
    QTest::newRow("negative is calm") << -2.5 << "0.0"
                                      << "0.0"
                                      << "0.0"
                                      << "4680.000";
    // 2.016 km/h shows 2.0, yet its mph (1.2527) rounds to 1.3, not 1.2.
    QTest::newRow("0.56 m/s: mph from the unrounded km/h") << 0.56 << "2.0"
                                                           << "1.3"
                                                           << "1.1"
                                                           << "4639.112";
    // 2.34 km/h is 1.2635 knots: 1.3, where the shown 2.3 km/h gave 1.2.
    QTest::newRow("0.65 m/s: knots from the unrounded km/h") << 0.65 << "2.3"
                                                             << "1.5"
                                                             << "1.3"
                                                             << "4632.541";
    QTest::newRow("1 m/s") << 1.0 << "3.6"
                           << "2.2"
                           << "1.9"
                           << "4606.986";
    QTest::newRow("10 m/s") << 10.0 << "36.0"
                            << "22.4"
                            << "19.4"
                            << "3949.859";
    QTest::newRow("100 m/s, bars unclamped") << 100.0 << "360.0"
                                             << "223.7"
                                             << "194.4"
                                             << "-2621.408";
}

void tst_SpeedReadouts::speedReadoutsRoundOnce()
{
    QFETCH(double, speed);
    QFETCH(QString, kmh);
    QFETCH(QString, mph);
    QFETCH(QString, knots);
    QFETCH(QString, barTop);

    const WindFigures shown = windFigures(0, speed);
    QVERIFY(!shown.failure);
    const QLocale c = QLocale::c();
    QCOMPARE(formatOneDecimal(shown.kmh.value(), c), kmh);
    QCOMPARE(formatOneDecimal(shown.mph.value(), c), mph);
    QCOMPARE(formatOneDecimal(shown.knots.value(), c), knots);
    QCOMPARE(QString::number(shown.barTopTwips.value(), 'f', 3), barTop);
}

void tst_SpeedReadouts::sharedSentencesAgreeWithTheReadouts_data()
{
    QTest::addColumn<SpeedUnit>("unit");
    QTest::newRow("knots") << SpeedUnit::Knots;
    QTest::newRow("km/h") << SpeedUnit::KilometresPerHour;
}

// Every speed from 0 to 99.99 m/s in hundredths: the MWV sentence carries
// the very digits of the readout in its unit.
void tst_SpeedReadouts::sharedSentencesAgreeWithTheReadouts()
{
    QFETCH(SpeedUnit, unit);
    int disagreements = 0;
    QString first;
    for (int hundredths = 0; hundredths < 10000; ++hundredths) {
        const double speed = hundredths / 100.0;
        const WindFigures shown = windFigures(0, speed);
        const QString readout = formatOneDecimal(
            unit == SpeedUnit::Knots ? shown.knots.value() : shown.kmh.value(), QLocale::c());
        const QByteArray sentence = nmeaMwvSentence(0, speed, unit);
        const QString shared = QString::fromLatin1(sentence.split(',').value(3));
        if (shared != readout && disagreements++ == 0)
            first
                = QStringLiteral("%1 m/s: window %2, sentence %3").arg(speed).arg(readout, shared);
    }
    QVERIFY2(
        disagreements == 0,
        qPrintable(QStringLiteral("%1 speeds disagree; first %2").arg(disagreements).arg(first)));
}

QTEST_GUILESS_MAIN(tst_SpeedReadouts)
#include "tst_speedreadouts.moc"
