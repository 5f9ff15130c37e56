// SPDX-License-Identifier: MIT
#include "core/apperror.h"
#include "core/windsample.h"
#include "core/windstatistics.h"
#include "referencestatistics.h"
#include "samplewalk.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(WindSample)
Q_DECLARE_METATYPE(WalkShape)

namespace {

using Samples = QList<WindSample>;

// Samples every stepMs from fromMs up to and including toMs.
Samples evenly(qint64 fromMs, qint64 toMs, qint64 stepMs, double direction, double speed)
{
    Samples samples;
    for (qint64 t = fromMs; t <= toMs; t += stepMs)
        samples.append({t, direction, speed});
    return samples;
}

double angleBetween(double a, double b)
{
    const double difference = std::fmod(std::abs(a - b), 360.0);
    return std::min(difference, 360.0 - difference);
}

bool near(double actual, double expected)
{
    return std::abs(actual - expected) <= 1e-9 * std::max(1.0, std::abs(expected));
}

// Compares a period of the engine with the direct computation of the same
// period; direction to 1e-7 degrees, everything else to 1e-9.
// Only the first knownCount samples have been seen (all when negative).
void compareWithReference(const WindPeriodStatistics &period,
                          const std::vector<WindSample> &samples, const QByteArray &where,
                          qsizetype knownCount = -1)
{
    const ReferencePeriod reference
        = referencePeriod(samples, period.startMs, period.endMs, knownCount);
    QVERIFY2(period.sampleCount == reference.sampleCount, where);
    QVERIFY2(period.coveredMs == reference.coveredMs, where);
    QVERIFY2(near(period.meanSpeed, reference.meanSpeed), where);
    QVERIFY2(period.calm == reference.calm, where);
    QVERIFY2(period.meanDirection.has_value() == reference.meanDirection.has_value(), where);
    if (period.meanDirection) {
        QVERIFY2(*period.meanDirection >= 0 && *period.meanDirection < 360, where);
        QVERIFY2(angleBetween(*period.meanDirection, *reference.meanDirection) < 1e-7, where);
    }
    QVERIFY2(period.gust.has_value() == reference.gust.has_value(), where);
    if (period.gust)
        QVERIFY2(near(*period.gust, *reference.gust), where);
}

} // namespace

class tst_WindStatistics : public QObject
{
    Q_OBJECT

private slots:
    void handComputedPeriods_data();
    void handComputedPeriods();
    void randomWalksMatchTheDirectComputation_data();
    void randomWalksMatchTheDirectComputation();
    void aDayAt4HzStaysExact();
    void linkHealth_data();
    void linkHealth();
    void historySpans_data();
    void historySpans();
    void historySharesTheMeansOfOneMillisecond();
    void refusedInputChangesNothing_data();
    void refusedInputChangesNothing();
};

void tst_WindStatistics::handComputedPeriods_data()
{
    QTest::addColumn<Samples>("samples");
    QTest::addColumn<qint64>("nowMs");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<qint64>("coveredMs");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<double>("meanSpeed");
    // "calm", "none" or the degrees.
    QTest::addColumn<QString>("direction");
    QTest::addColumn<double>("gust");

    QTest::newRow("355 and 5 degrees average to north")
        << Samples{{1000, 355, 4}, {1250, 5, 4}} << qint64(1250) << 10 << qint64(2) << qint64(250)
        << false << 4.0 << "0" << 4.0;
    QTest::newRow("a sample exactly 2 minutes old has left")
        << Samples{{0, 90, 20}, {119000, 90, 2}, {120000, 90, 4}} << qint64(120000) << 2
        << qint64(2) << qint64(1000) << false << 3.0 << "90" << 3.0;
    QTest::newRow("a sample 1 ms less than 2 minutes old still counts")
        << Samples{{1, 90, 20}, {119000, 90, 2}, {120000, 90, 5}} << qint64(120000) << 2
        << qint64(3) << qint64(1000) << false << 9.0 << "90" << 20.0;
    QTest::newRow("irregular intervals weigh every sample once, not by time")
        << Samples{{0, 180, 10}, {100, 180, 10}, {4000, 180, 1}} << qint64(4000) << 10 << qint64(3)
        << qint64(4000) << false << 7.0 << "180" << 10.0;
    QTest::newRow("a gap of 5 s is covered, one of 5.001 s is not")
        << Samples{{0, 10, 5}, {5000, 10, 5}, {10001, 10, 5}} << qint64(10001) << 10 << qint64(3)
        << qint64(5000) << false << 5.0 << "10" << 5.0;
    QTest::newRow("coverage of 66 % exactly shows the statistics")
        << evenly(0, 79200, 4400, 45, 3) + Samples{{119999, 45, 3}} << qint64(119999) << 2
        << qint64(20) << qint64(79200) << true << 3.0 << "45" << 3.0;
    QTest::newRow("coverage 1 ms short of 66 % hides them")
        << evenly(0, 74800, 4400, 45, 3) + Samples{{79199, 45, 3}, {119999, 45, 3}}
        << qint64(119999) << 2 << qint64(20) << qint64(79199) << false << 3.0 << "45" << 3.0;
    QTest::newRow("the gap into the period covers its first part")
        << evenly(0, 600000, 4000, 270, 8) << qint64(603000) << 10 << qint64(150) << qint64(596999)
        << true << 8.0 << "270" << 8.0;
    QTest::newRow("a mean below 0.5 m/s is calm")
        << Samples{{0, 90, 0.4}, {250, 90, 0.59}} << qint64(250) << 10 << qint64(2) << qint64(250)
        << false << 0.495 << "calm" << 0.495;
    QTest::newRow("a mean of exactly 0.5 m/s is not calm")
        << Samples{{0, 90, 0.25}, {250, 90, 0.75}} << qint64(250) << 10 << qint64(2) << qint64(250)
        << false << 0.5 << "90" << 0.5;
    QTest::newRow("opposite directions cancel out: no direction")
        << Samples{{0, 0, 5}, {250, 180, 5}} << qint64(250) << 10 << qint64(2) << qint64(250)
        << false << 5.0 << "none" << 5.0;
    QTest::newRow("a hair west of north reads 0, not 360")
        << Samples{{0, -1e-14, 5}} << qint64(0) << 10 << qint64(1) << qint64(0) << false << 5.0
        << "0" << 5.0;
    QTest::newRow("samples 3 s apart: the earlier leaves the 3-second mean")
        << Samples{{3000, 90, 20}, {6000, 90, 2}} << qint64(123000) << 2 << qint64(1)
        << qint64(2999) << false << 2.0 << "90" << 2.0;
    QTest::newRow("2.999 s apart: a sample before the period counts in the 3-second mean")
        << Samples{{3000, 90, 20}, {5999, 90, 2}} << qint64(123000) << 2 << qint64(1)
        << qint64(2998) << false << 2.0 << "90" << 11.0;
    QTest::newRow("a later sample in the same millisecond joins the 3-second mean")
        << Samples{{1000, 0, 10}, {2000, 0, 30}, {2000, 0, 2}} << qint64(2000) << 10 << qint64(3)
        << qint64(1000) << false << 14.0 << "0" << 14.0;
}

void tst_WindStatistics::handComputedPeriods()
{
    QFETCH(Samples, samples);
    QFETCH(qint64, nowMs);
    QFETCH(int, minutes);
    QFETCH(qint64, count);
    QFETCH(qint64, coveredMs);
    QFETCH(bool, shown);
    QFETCH(double, meanSpeed);
    QFETCH(QString, direction);
    QFETCH(double, gust);

    WindStatistics engine;
    for (const WindSample &sample : samples)
        engine.addSample(sample);
    const WindStatisticsSnapshot snapshot = engine.snapshot(nowMs);
    const WindPeriodStatistics &period = minutes == 2 ? snapshot.twoMinutes : snapshot.tenMinutes;

    QCOMPARE(period.endMs, nowMs + 1);
    QCOMPARE(period.lengthMs(), minutes * 60000LL);
    QCOMPARE(period.sampleCount, count);
    QCOMPARE(period.coveredMs, coveredMs);
    QCOMPARE(period.isCovered(), shown);
    QVERIFY(near(period.meanSpeed, meanSpeed));
    QCOMPARE(period.calm, direction == QLatin1String("calm"));
    if (direction == QLatin1String("calm") || direction == QLatin1String("none")) {
        QVERIFY(!period.meanDirection);
    } else {
        QVERIFY(period.meanDirection);
        QVERIFY(*period.meanDirection >= 0 && *period.meanDirection < 360);
        QVERIFY(angleBetween(*period.meanDirection, direction.toDouble()) < 1e-9);
    }
    QVERIFY(period.gust);
    QVERIFY(near(*period.gust, gust));

    // The direct computation must agree with the hand too, or it proves
    // nothing about the random walks.
    const std::vector<WindSample> all(samples.begin(), samples.end());
    compareWithReference(period, all, "reference");
}

void tst_WindStatistics::randomWalksMatchTheDirectComputation_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<qint64>("durationMs");
    QTest::addColumn<WalkShape>("shape");

    WalkShape steady;
    QTest::newRow("4 Hz wandering across north") << 1u << qint64(40 * 60000) << steady;
    WalkShape irregular;
    irregular.shortestIntervalMs = 20;
    irregular.longestIntervalMs = 6000;
    irregular.largestTurnDegrees = 60;
    QTest::newRow("irregular intervals of 20 ms to 6 s") << 2u << qint64(90 * 60000) << irregular;
    WalkShape gapsAndCalm;
    gapsAndCalm.shortestIntervalMs = 150;
    gapsAndCalm.longestIntervalMs = 400;
    gapsAndCalm.gapChance = 0.003;
    gapsAndCalm.longestGapMs = 60000;
    gapsAndCalm.calmChance = 0.001;
    QTest::newRow("gaps of up to a minute and calm spells")
        << 3u << qint64(90 * 60000) << gapsAndCalm;
    WalkShape bursts;
    bursts.shortestIntervalMs = 0;
    bursts.longestIntervalMs = 600;
    bursts.sameMillisecondChance = 0.3;
    QTest::newRow("bursts within one millisecond") << 4u << qint64(30 * 60000) << bursts;
}

void tst_WindStatistics::randomWalksMatchTheDirectComputation()
{
    QFETCH(quint32, seed);
    QFETCH(qint64, durationMs);
    QFETCH(WalkShape, shape);

    const std::vector<WindSample> samples = randomWalk(seed, 1000000, durationMs, shape);
    WindStatistics engine;
    QRandomGenerator random(seed);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        engine.addSample(samples[i]);
        if (i % 31 != 0)
            continue;
        // Now is at the sample or up to 8 s later, not past the next one:
        // the snapshot must not see samples of the future.
        qint64 nowMs = samples[i].timeMs + random.bounded(8000);
        if (i + 1 < samples.size())
            nowMs = std::min(nowMs, samples[i + 1].timeMs - 1);
        nowMs = std::max(nowMs, samples[i].timeMs);
        const WindStatisticsSnapshot snapshot = engine.snapshot(nowMs);
        const QByteArray where = "sample " + QByteArray::number(qulonglong(i));
        compareWithReference(snapshot.twoMinutes, samples, where, qsizetype(i + 1));
        compareWithReference(snapshot.tenMinutes, samples, where, qsizetype(i + 1));
        if (QTest::currentTestFailed())
            return;
    }

    // The plots' 2-minute mean at every sample is that of the 2 minutes up to
    // its millisecond, to a float's precision.
    const qint64 lastMs = samples.back().timeMs;
    const std::vector<WindHistoryPoint> history = engine.history(lastMs, WindHistory::keptMs);
    for (std::size_t i = 0; i < history.size(); i += 31) {
        const WindHistoryPoint &point = history[i];
        const ReferencePeriod reference
            = referencePeriod(samples, point.timeMs + 1 - 120000, point.timeMs + 1);
        QVERIFY(std::abs(point.twoMinuteMeanSpeed - reference.meanSpeed)
                <= 1e-6 * std::max(1.0, reference.meanSpeed));
    }
}

// A simulated day at 4 Hz, opened by a wild spike of 10^12 m/s: running
// sums that subtract would keep the spike's rounding error for the rest of
// the day.
void tst_WindStatistics::aDayAt4HzStaysExact()
{
    WalkShape shape;
    shape.calmChance = 0.0005;
    std::vector<WindSample> samples = randomWalk(5, 1000, 24 * 3600000LL, shape);
    samples.front().speedMetresPerSecond = 1e12;
    QCOMPARE(samples.size(), std::size_t(345600));

    WindStatistics engine;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        engine.addSample(samples[i]);
        if (i % 997 == 0 || i + 1 == samples.size()) {
            const WindStatisticsSnapshot snapshot = engine.snapshot(samples[i].timeMs);
            const QByteArray where = "sample " + QByteArray::number(qulonglong(i));
            compareWithReference(snapshot.twoMinutes, samples, where, qsizetype(i + 1));
            compareWithReference(snapshot.tenMinutes, samples, where, qsizetype(i + 1));
            if (QTest::currentTestFailed())
                return;
        }
    }
}

void tst_WindStatistics::linkHealth_data()
{
    QTest::addColumn<QList<qint64>>("times");
    QTest::addColumn<qint64>("nowMs");
    QTest::addColumn<bool>("stale");
    QTest::addColumn<double>("staleAfterMs");
    QTest::addColumn<qint64>("lastMinute");

    const auto every = [](qint64 from, int count, qint64 stepMs) {
        QList<qint64> times;
        for (int i = 0; i < count; ++i)
            times.append(from + i * stepMs);
        return times;
    };
    QTest::newRow("nothing received is stale")
        << QList<qint64>() << qint64(0) << true << 10000.0 << qint64(0);
    QTest::newRow("4 Hz: fresh 9.999 s after the last sample")
        << every(0, 20, 250) << qint64(4750 + 9999) << false << 10000.0 << qint64(20);
    QTest::newRow("4 Hz: stale 10 s after the last sample")
        << every(0, 20, 250) << qint64(4750 + 10000) << true << 10000.0 << qint64(20);
    QTest::newRow("every 4 s: fresh until 5 intervals have passed")
        << every(0, 20, 4000) << qint64(76000 + 19999) << false << 20000.0 << qint64(11);
    QTest::newRow("every 4 s: stale after 5 intervals")
        << every(0, 20, 4000) << qint64(76000 + 20000) << true << 20000.0 << qint64(10);
    QTest::newRow("the median interval, not the mean")
        << every(0, 11, 3000) + every(130000, 9, 100000) << qint64(930000 + 14999) << false
        << 15000.0 << qint64(1);
    QTest::newRow("only the last 20 samples give the median")
        << every(0, 20, 1000) + every(27000, 10, 8000) << qint64(99000) << false << 40000.0
        << qint64(8);
    QTest::newRow("two middle intervals: their mean")
        << QList<qint64>{0, 2000, 6000} << qint64(6000) << false << 15000.0 << qint64(3);
    QTest::newRow("4 Hz for 2 minutes: 240 in the last minute, the one 60 s old left")
        << every(0, 481, 250) << qint64(120000) << false << 10000.0 << qint64(240);
    QTest::newRow("a sample 59.999 s old still counts")
        << every(0, 480, 250) << qint64(119999) << false << 10000.0 << qint64(240);
}

void tst_WindStatistics::linkHealth()
{
    QFETCH(QList<qint64>, times);
    QFETCH(qint64, nowMs);
    QFETCH(bool, stale);
    QFETCH(double, staleAfterMs);
    QFETCH(qint64, lastMinute);

    WindStatistics engine;
    for (qint64 time : times)
        engine.addSample({time, 90, 5});
    const LinkHealthReport link = engine.snapshot(nowMs).link;
    QCOMPARE(link.stale, stale);
    QCOMPARE(link.staleAfterMs, staleAfterMs);
    QCOMPARE(link.samplesLastMinute, lastMinute);
    QCOMPARE(link.samplesPerSecond, lastMinute / 60.0);
    QCOMPARE(link.msSinceLastSample.has_value(), !times.isEmpty());
    if (!times.isEmpty())
        QCOMPARE(*link.msSinceLastSample, nowMs - times.last());
}

void tst_WindStatistics::historySpans_data()
{
    QTest::addColumn<int>("minutes");
    QTest::addColumn<int>("points");

    QTest::newRow("10 minutes") << 10 << 600;
    QTest::newRow("30 minutes") << 30 << 1800;
    QTest::newRow("60 minutes") << 60 << 3600;
    QTest::newRow("no more than the hour kept") << 90 << 3600;
}

void tst_WindStatistics::historySpans()
{
    QFETCH(int, minutes);
    QFETCH(int, points);

    WindStatistics engine;
    for (qint64 t = 0; t < 70 * 60000; t += 1000)
        engine.addSample({t, double(t % 360), 5});
    const qint64 nowMs = 70 * 60000 - 1000 + 400;
    const std::vector<WindHistoryPoint> history = engine.history(nowMs, minutes * 60000LL);
    QCOMPARE(int(history.size()), points);
    QVERIFY(history.front().timeMs > nowMs - minutes * 60000LL);
    QCOMPARE(history.back().timeMs, nowMs - 400);
}

void tst_WindStatistics::historySharesTheMeansOfOneMillisecond()
{
    WindStatistics engine;
    engine.addSample({1000, 0, 10});
    engine.addSample({2000, 0, 30});
    engine.addSample({2000, 0, 2});
    const std::vector<WindHistoryPoint> history = engine.history(2000, 600000);
    QCOMPARE(history.size(), std::size_t(3));
    QCOMPARE(history[0].tenMinuteGust, 10.0f);
    // Not the 20 m/s of the first 2000 ms sample taken alone.
    QCOMPARE(history[1].tenMinuteGust, 14.0f);
    QCOMPARE(history[1].twoMinuteMeanSpeed, 14.0f);
    QCOMPARE(history[2].twoMinuteMeanSpeed, 14.0f);
}

void tst_WindStatistics::refusedInputChangesNothing_data()
{
    QTest::addColumn<WindSample>("sample");
    QTest::addColumn<qint64>("nowMs");
    QTest::addColumn<qint64>("samplesKept");

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    QTest::newRow("a sample earlier than the last")
        << WindSample{999, 90, 5} << qint64(2000) << qint64(1);
    QTest::newRow("a speed that is not a number")
        << WindSample{2000, 90, nan} << qint64(2000) << qint64(1);
    QTest::newRow("an infinite direction")
        << WindSample{2000, infinity, 5} << qint64(2000) << qint64(1);
    QTest::newRow("statistics asked for before the last sample")
        << WindSample{2000, 90, 5} << qint64(1999) << qint64(2);
}

void tst_WindStatistics::refusedInputChangesNothing()
{
    QFETCH(WindSample, sample);
    QFETCH(qint64, nowMs);
    QFETCH(qint64, samplesKept);

    WindStatistics engine;
    engine.addSample({1000, 90, 5});
    bool refused = false;
    try {
        engine.addSample(sample);
        engine.snapshot(nowMs);
    } catch (const AppError &error) {
        refused = error.kind() == AppError::Kind::InvalidArgument;
    }
    QVERIFY(refused);
    const WindStatisticsSnapshot snapshot = engine.snapshot(2000);
    QCOMPARE(snapshot.tenMinutes.sampleCount, samplesKept);
    QVERIFY(std::isfinite(snapshot.tenMinutes.meanSpeed));
}

QTEST_APPLESS_MAIN(tst_WindStatistics)

#include "tst_windstatistics.moc"
