// SPDX-License-Identifier: MIT
#include "core/apperror.h"
#include "core/barscalebands.h"
#include "core/windrose.h"

#include <QTest>

#include <limits>

class tst_WindRose : public QObject
{
    Q_OBJECT

private slots:
    void sampleFindsItsCell_data();
    void sampleFindsItsCell();
    void prevailingSector_data();
    void prevailingSector();
    void slidingRoseMatchesAFreshOne();
    void forcesWearTheBarScaleBands();
};

// One sample, hand-placed: its sector and force, or calm (force 0).
void tst_WindRose::sampleFindsItsCell_data()
{
    QTest::addColumn<double>("direction");
    QTest::addColumn<double>("speed");
    QTest::addColumn<QString>("sector");
    QTest::addColumn<int>("force");

    QTest::newRow("0 is N") << 0.0 << 5.0 << "N" << 3;
    QTest::newRow("just below 11.25 is N") << 11.249999 << 5.0 << "N" << 3;
    QTest::newRow("11.25 opens NNE") << 11.25 << 5.0 << "NNE" << 3;
    QTest::newRow("just below 348.75 is NNW") << 348.749999 << 5.0 << "NNW" << 3;
    QTest::newRow("348.75 opens N") << 348.75 << 5.0 << "N" << 3;
    QTest::newRow("the display's -0.5 is N") << -0.5 << 5.0 << "N" << 3;
    QTest::newRow("the display's 360 is N") << 360.0 << 5.0 << "N" << 3;
    QTest::newRow("0.49 is calm") << 90.0 << 0.49 << "" << 0;
    QTest::newRow("0.5 is force 1") << 90.0 << 0.5 << "E" << 1;
    QTest::newRow("1.6 is force 2") << 90.0 << 1.6 << "E" << 2;
    QTest::newRow("32.69 is force 11") << 180.0 << 32.69 << "S" << 11;
    QTest::newRow("32.7 is force 12") << 180.0 << 32.7 << "S" << 12;
}

void tst_WindRose::sampleFindsItsCell()
{
    QFETCH(double, direction);
    QFETCH(double, speed);
    QFETCH(QString, sector);
    QFETCH(int, force);

    WindRose rose;
    rose.add(direction, speed);
    QCOMPARE(rose.sampleCount(), 1);
    QCOMPARE(rose.calmCount(), force == 0 ? 1 : 0);
    QCOMPARE(wmoBeaufortForce(speed), force);
    for (int k = 0; k < WindRoseRules::sectors; ++k) {
        const bool here = windRoseSectorName(k) == sector;
        QCOMPARE(rose.sectorCount(k), here ? 1 : 0);
        for (int f = 1; f <= WindRoseRules::forces; ++f)
            QCOMPARE(rose.count(k, f), here && f == force ? 1 : 0);
    }
}

void tst_WindRose::prevailingSector_data()
{
    QTest::addColumn<QList<double>>("directions"); // each at 5 m/s; NaN adds a calm one
    QTest::addColumn<QString>("description");
    QTest::addColumn<double>("percent");

    const double calm = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("three of four from WSW")
        << QList<double>{247.5, 250, 240, 90} << "Prevailing WSW, 75 %" << 75.0;
    QTest::newRow("calm samples count in the share")
        << QList<double>{247.5, 90, 247.5, calm, calm, calm} << "Prevailing WSW, 33 %" << 100.0 / 3;
    QTest::newRow("a tie goes to the first from N")
        << QList<double>{350, 180, 180, 10} << "Prevailing N, 50 %" << 50.0;
    QTest::newRow("only calm") << QList<double>{calm, calm} << "Calm" << -1.0;
    QTest::newRow("nothing") << QList<double>{} << "No wind received" << -1.0;
}

void tst_WindRose::prevailingSector()
{
    QFETCH(QList<double>, directions);
    QFETCH(QString, description);
    QFETCH(double, percent);

    WindRose rose;
    for (const double direction : directions)
        rose.add(qIsNaN(direction) ? 0.0 : direction, qIsNaN(direction) ? 0.2 : 5.0);
    QCOMPARE(windRoseDescription(rose), description);
    const auto prevailing = rose.prevailing();
    QCOMPARE(prevailing.has_value(), percent >= 0);
    if (prevailing)
        QCOMPARE(prevailing->percent, percent);
}

void tst_WindRose::slidingRoseMatchesAFreshOne()
{
    const double samples[][2] = {{10, 5}, {200, 0.3}, {250, 12}, {250, 33}, {11.25, 0.5}};
    WindRose sliding;
    for (const auto &sample : samples)
        sliding.add(sample[0], sample[1]);
    sliding.remove(10, 5);
    sliding.remove(200, 0.3);
    // Nothing such left to take back: refused, and the rose stays.
    QVERIFY_THROWS_EXCEPTION(AppError, sliding.remove(10, 5));
    QVERIFY_THROWS_EXCEPTION(AppError, sliding.remove(250, 0.2));

    WindRose fresh;
    for (const auto &sample : samples)
        if (sample[0] != 10 && sample[0] != 200)
            fresh.add(sample[0], sample[1]);
    QCOMPARE(sliding.sampleCount(), fresh.sampleCount());
    QCOMPARE(sliding.calmCount(), 0);
    for (int k = 0; k < WindRoseRules::sectors; ++k)
        for (int f = 1; f <= WindRoseRules::forces; ++f)
            QCOMPARE(sliding.count(k, f), fresh.count(k, f));
}

// The bands the bars cross at the middle of each force's speeds: two forces
// to a band, calm white to storm blue, as the window's scale shows them.
void tst_WindRose::forcesWearTheBarScaleBands()
{
    const quint32 expected[] = {0xFFFFFF, 0xFFFFFF, 0xFFFFC0, 0xFFFFC0, 0xC0FFFF, 0xC0FFFF,
                                0xC0C0FF, 0xC0C0FF, 0x8080FF, 0x8080FF, 0x0000FF, 0x0000FF};
    for (int force = 1; force <= 12; ++force)
        QCOMPARE(beaufortForceBand(force).dayRgb, expected[force - 1]);
    // The scale's ends: white at 0 km/h, black for the fastest bars.
    QCOMPARE(barScaleBandAt(0).dayRgb, 0xFFFFFFu);
    QCOMPARE(barScaleBandAt(1000).dayRgb, 0x000000u);
}

QTEST_GUILESS_MAIN(tst_WindRose)

#include "tst_windrose.moc"
