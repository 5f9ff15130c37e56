// SPDX-License-Identifier: MIT
#include "core/apperror.h"
#include "core/metarwind.h"
#include "core/windspeed.h"

#include <QTest>

#include <limits>

namespace {

// The speed in m/s that the application shows as these knots.
double metres(double knots)
{
    return knots / metresPerSecondToKnots(1.0);
}

} // namespace

class tst_MetarWind : public QObject
{
    Q_OBJECT

private slots:
    void groupOfFigures_data();
    void groupOfFigures();
    void groupOfSamples_data();
    void groupOfSamples();
    void badSampleIsRefused();
};

void tst_MetarWind::groupOfFigures_data()
{
    QTest::addColumn<double>("meanKnots");
    QTest::addColumn<double>("direction"); // negative: none
    QTest::addColumn<double>("gustKnots"); // negative: none
    QTest::addColumn<double>("arcFrom"); // negative: no arc
    QTest::addColumn<double>("arcWidth");
    QTest::addColumn<QString>("group");

    QTest::newRow("275 rounds half up") << 15.0 << 275.0 << -1.0 << -1.0 << 0.0 << "28015KT";
    QTest::newRow("just under 275") << 15.0 << 274.99 << -1.0 << -1.0 << 0.0 << "27015KT";
    QTest::newRow("355 is 360") << 15.0 << 355.0 << -1.0 << -1.0 << 0.0 << "36015KT";
    QTest::newRow("a steady 355 as unit vectors give it")
        << 15.0 << 354.99999999999994 << -1.0 << -1.0 << 0.0 << "36015KT";
    QTest::newRow("0 is 360, not 000") << 15.0 << 0.0 << -1.0 << -1.0 << 0.0 << "36015KT";
    QTest::newRow("5 is 010") << 15.0 << 5.0 << -1.0 << -1.0 << 0.0 << "01015KT";
    QTest::newRow("0.49 knots is calm, gust and arc or not")
        << 0.49 << 90.0 << 12.0 << 0.0 << 120.0 << "00000KT";
    QTest::newRow("0.5 knots is 01") << 0.5 << 90.0 << -1.0 << -1.0 << 0.0 << "09001KT";
    QTest::newRow("99.49 knots") << 99.49 << 270.0 << -1.0 << -1.0 << 0.0 << "27099KT";
    QTest::newRow("99.5 knots is P99") << 99.5 << 270.0 << -1.0 << -1.0 << 0.0 << "270P99KT";
    QTest::newRow("gust exactly 10 knots over")
        << 15.0 << 270.0 << 25.0 << -1.0 << 0.0 << "27015G25KT";
    QTest::newRow("gust 9.9 over, though the rounded figures are 10 apart")
        << 15.4 << 270.0 << 25.3 << -1.0 << 0.0 << "27015KT";
    QTest::newRow("gust of 99.5 knots") << 80.0 << 270.0 << 99.5 << -1.0 << 0.0 << "27080GP99KT";
    QTest::newRow("variation 59") << 15.0 << 270.0 << -1.0 << 240.0 << 59.0 << "27015KT";
    QTest::newRow("variation 60") << 15.0 << 270.0 << 25.0 << 240.0 << 60.0 << "27015G25KT 240V300";
    QTest::newRow("variation 179, an extreme at north")
        << 15.0 << 270.0 << -1.0 << 180.0 << 179.0 << "27015KT 180V360";
    QTest::newRow("variation 180") << 15.0 << 270.0 << -1.0 << 180.0 << 180.0 << "VRB15KT";
    QTest::newRow("variation 60 at 2.9 knots")
        << 2.9 << 270.0 << -1.0 << 240.0 << 60.0 << "VRB03KT";
    QTest::newRow("variation 60 at 3 knots")
        << 3.0 << 270.0 << -1.0 << 240.0 << 60.0 << "27003KT 240V300";
    QTest::newRow("variation across north")
        << 15.0 << 10.0 << -1.0 << 326.0 << 84.0 << "01015KT 330V050";
    QTest::newRow("no mean direction") << 15.0 << -1.0 << 26.0 << 0.0 << 20.0 << "VRB15G26KT";
}

void tst_MetarWind::groupOfFigures()
{
    QFETCH(double, meanKnots);
    QFETCH(double, direction);
    QFETCH(double, gustKnots);
    QFETCH(double, arcFrom);
    QFETCH(double, arcWidth);
    QFETCH(QString, group);

    MetarWindFigures figures;
    figures.meanKnots = meanKnots;
    if (direction >= 0)
        figures.meanDirection = direction;
    if (gustKnots >= 0)
        figures.gustKnots = gustKnots;
    if (arcFrom >= 0)
        figures.variation = MetarWindFigures::Arc{arcFrom, arcWidth};
    QCOMPARE(metarWindGroup(figures), group);
}

// Samples a second apart from 0 s; the period starts at start s, the samples
// before it counting only in the gust's 3-second means.
void tst_MetarWind::groupOfSamples_data()
{
    QTest::addColumn<QList<double>>("directions"); // repeated in turn
    QTest::addColumn<QList<double>>("knots"); // a speed for each sample, the last repeated
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("group");

    QTest::newRow("a steady 355 is 360")
        << QList<double>{355} << QList<double>{15} << 600 << 0 << "36015KT";
    QTest::newRow("330 and 30 in turn, across north")
        << QList<double>{330, 30} << QList<double>{15} << 600 << 0 << "36015KT 330V030";
    // The two slow samples from 090 would widen the arc to 210 degrees.
    QTest::newRow("samples under 0.5 m/s leave the variation alone")
        << QList<double>{240, 300, 240, 300, 240, 300, 240, 300, 90, 90}
        << QList<double>{15, 15, 15, 15, 15, 15, 15, 15, 0.7, 0.7} << 10 << 0 << "27012KT 240V300";
    QTest::newRow("0 and 179 nearly cancel: no direction, though the arc is under 180")
        << QList<double>{0, 179} << QList<double>{15} << 600 << 0 << "VRB15KT";
    QTest::newRow("a 3-second mean reaches back before the period")
        << QList<double>{270} << QList<double>{30, 30, 30, 30, 10} << 604 << 4 << "27010G23KT";
    QTest::newRow("slow wind: 1 knot, no variation without a sample of 0.5 m/s")
        << QList<double>{200, 240} << QList<double>{0.9} << 60 << 0 << "22001KT";
}

void tst_MetarWind::groupOfSamples()
{
    QFETCH(QList<double>, directions);
    QFETCH(QList<double>, knots);
    QFETCH(int, count);
    QFETCH(int, start);
    QFETCH(QString, group);

    MetarWindPeriod period(start * 1000LL);
    for (int i = 0; i < count; ++i)
        period.add(i * 1000LL, directions[i % directions.size()],
                   metres(knots[std::min<qsizetype>(i, knots.size() - 1)]));
    QCOMPARE(period.sampleCount(), count - start);
    QCOMPARE(period.group(), group);

    // The next period, started afresh, holds nothing yet.
    period.restart(count * 1000LL);
    QCOMPARE(period.group(), QString());
}

void tst_MetarWind::badSampleIsRefused()
{
    MetarWindPeriod period(0);
    period.add(1000, 270, metres(15));
    QVERIFY_THROWS_EXCEPTION(AppError, period.add(999, 90, metres(15)));
    QVERIFY_THROWS_EXCEPTION(AppError,
                             period.add(2000, std::numeric_limits<double>::quiet_NaN(), 5));
    QVERIFY_THROWS_EXCEPTION(AppError,
                             period.add(2000, 90, std::numeric_limits<double>::infinity()));
    QCOMPARE(period.group(), QStringLiteral("27015KT"));
}

QTEST_GUILESS_MAIN(tst_MetarWind)

#include "tst_metarwind.moc"
