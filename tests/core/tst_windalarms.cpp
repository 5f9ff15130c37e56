// SPDX-License-Identifier: MIT
#include "core/windalarms.h"

#include <QTest>

#include <cmath>
#include <vector>

namespace {

// A stretch of the generated run: wind at 4 samples a second whose direction
// turns evenly from fromDegrees to toDegrees, a silence, or the source
// stopping, or the sensor starting.
struct Stretch
{
    enum class What { Wind, Silence, Stop, StartSensor };
    What what = What::Wind;
    qint64 ms = 0;
    double speed = 0;
    double fromDegrees = 0;
    double toDegrees = 0;
};
using Run = std::vector<Stretch>;

constexpr qint64 sampleIntervalMs = 250;

Stretch wind(qint64 seconds, double speed, double fromDegrees, double toDegrees)
{
    return {Stretch::What::Wind, seconds * 1000, speed, fromDegrees, toDegrees};
}
Stretch wind(qint64 seconds, double speed, double degrees = 90)
{
    return wind(seconds, speed, degrees, degrees);
}
// One sample.
Stretch spike(double speed)
{
    return {Stretch::What::Wind, sampleIntervalMs, speed, 90, 90};
}
Stretch silence(qint64 seconds)
{
    return {Stretch::What::Silence, seconds * 1000};
}
Stretch stop()
{
    return {Stretch::What::Stop};
}
Stretch startSensor()
{
    return {Stretch::What::StartSensor};
}

// Thresholds in m/s, degrees (of 5-minute periods) and seconds; 0 is off.
WindAlarmConfig alarmsOf(double meanAbove, double gustAbove, double shiftDegrees = 0,
                         int noReadingSeconds = 0)
{
    const auto on = [](double value) {
        return value > 0 ? std::optional(value) : std::nullopt;
    };
    WindAlarmConfig config;
    config.meanAboveMetresPerSecond = on(meanAbove);
    config.gustAboveMetresPerSecond = on(gustAbove);
    config.shiftDegrees = on(shiftDegrees);
    if (noReadingSeconds > 0)
        config.noReadingSeconds = noReadingSeconds;
    return config;
}

// Feeds the run to the engine with a tick every second, as the window does,
// and writes each event as "raise GustAbove 122s 20.3/20.0": the change, the
// alarm, the seconds since the start, the value and the threshold. A last
// line "ticking" says the engine still wants its ticks.
QStringList eventsOf(const WindAlarmConfig &config, WindSource source, const Run &run)
{
    constexpr qint64 start = 1000000;
    WindAlarms alarms(config);
    QStringList written;
    const auto record = [&](const std::vector<WindAlarmEvent> &events) {
        for (const WindAlarmEvent &event : events) {
            written << QStringLiteral("%1 %2 %3s %4/%5")
                           .arg(event.change == WindAlarmEvent::Change::Raised ? "raise" : "clear",
                                windAlarmName(event.kind))
                           .arg((event.timeMs - start) / 1000)
                           .arg(event.value, 0, 'f', 1)
                           .arg(event.threshold, 0, 'f', 1);
        }
    };
    qint64 nextTick = start + 1000;
    const auto tickUntil = [&](qint64 until) {
        for (; nextTick <= until; nextTick += 1000)
            record(alarms.evaluate(nextTick));
    };

    record(alarms.sourceStarted(source, start));
    qint64 time = start;
    for (const Stretch &stretch : run) {
        switch (stretch.what) {
        case Stretch::What::Wind: {
            const qint64 count = stretch.ms / sampleIntervalMs;
            for (qint64 i = 0; i < count; ++i) {
                const qint64 at = time + i * sampleIntervalMs;
                tickUntil(at);
                const double turned = stretch.fromDegrees
                    + (stretch.toDegrees - stretch.fromDegrees) * double(i) / double(count);
                const double direction = std::fmod(std::fmod(turned, 360.0) + 360.0, 360.0);
                record(alarms.addSample({at, direction, stretch.speed}));
            }
            break;
        }
        case Stretch::What::Silence:
            tickUntil(time + stretch.ms);
            break;
        case Stretch::What::Stop:
            record(alarms.sourceStopped(time));
            break;
        case Stretch::What::StartSensor:
            record(alarms.sourceStarted(WindSource::Sensor, time));
            break;
        }
        time += stretch.ms;
    }
    tickUntil(time);
    if (alarms.needsTick())
        written << QStringLiteral("ticking");
    return written;
}

} // namespace

Q_DECLARE_METATYPE(Run)
Q_DECLARE_METATYPE(WindAlarmConfig)

class tst_WindAlarms : public QObject
{
    Q_OBJECT

private slots:
    void sampleRuns_data();
    void sampleRuns();
    void acknowledgedForOneEpisode();
};

void tst_WindAlarms::sampleRuns_data()
{
    QTest::addColumn<WindAlarmConfig>("config");
    QTest::addColumn<WindSource>("source");
    QTest::addColumn<Run>("run");
    QTest::addColumn<QStringList>("expected");

    const WindSource sensor = WindSource::Sensor;
    const WindSource example = WindSource::ExampleMode;
    const QString ticking = QStringLiteral("ticking");

    QTest::newRow("steady just under the mean")
        << alarmsOf(10, 0) << sensor << Run{wind(300, 9.9)} << QStringList{ticking};
    // Raised once 66 % of the 2 minutes are covered, not at the first sample.
    QTest::newRow("steady just over the mean")
        << alarmsOf(10, 0) << sensor << Run{wind(300, 10.1)}
        << QStringList{"raise MeanAbove 79s 10.1/10.0", ticking};
    // One sample among the twelve of its 3 seconds.
    QTest::newRow("a single spike raises nothing")
        << alarmsOf(10, 20) << sensor << Run{wind(120, 8), spike(40), wind(60, 8)}
        << QStringList{ticking};
    QTest::newRow("a gust of 5 s raises, and clears when it leaves the 10 minutes")
        << alarmsOf(0, 20) << sensor << Run{wind(120, 8), wind(5, 25), wind(720, 8)}
        << QStringList{"raise GustAbove 122s 20.8/20.0", "clear GustAbove 785s 8.0/20.0", ticking};
    // Hysteresis: 9.5 lies under the threshold but above 90 % of it, so the
    // alarm holds and the return above it is the same episode; the next
    // episode starts only after a clear.
    QTest::newRow("one raise an episode, clear after 60 s below 90 %")
        << alarmsOf(10, 0) << sensor
        << Run{wind(180, 12), wind(180, 9.5), wind(180, 12), wind(240, 8), wind(180, 12)}
        << QStringList{"raise MeanAbove 79s 12.0/10.0", "clear MeanAbove 690s 8.0/10.0",
                       "raise MeanAbove 840s 10.0/10.0", ticking};
    QTest::newRow("a veer of 40 degrees across north")
        << alarmsOf(0, 0, 30) << sensor
        << Run{wind(300, 8, 340), wind(240, 8, 340, 380), wind(600, 8, 20)}
        << QStringList{"raise ShiftDegrees 659s 30.0/30.0", "clear ShiftDegrees 967s 8.2/30.0",
                       ticking};
    QTest::newRow("a backing of 40 degrees across north")
        << alarmsOf(0, 0, 30) << sensor
        << Run{wind(300, 8, 20), wind(120, 8, 20, -20), wind(300, 8, 340)}
        << QStringList{"raise ShiftDegrees 584s 30.0/30.0", ticking};
    // The two 5-minute means of an even turn lie half the turn apart.
    QTest::newRow("40 degrees spread evenly over ten minutes: 20 between the means")
        << alarmsOf(0, 0, 30) << sensor << Run{wind(600, 8, 340, 380), wind(300, 8, 20)}
        << QStringList{ticking};
    // A minute of 340 degrees, then 20: the earlier period is covered a fifth
    // when the later one is full, and a turn against it would be made up.
    QTest::newRow("no shift against a barely covered earlier period")
        << alarmsOf(0, 0, 30) << sensor << Run{wind(60, 8, 340), wind(540, 8, 20)}
        << QStringList{ticking};
    QTest::newRow("calm has no direction to shift from")
        << alarmsOf(0, 0, 30) << sensor << Run{wind(300, 0.3, 0), wind(300, 8, 90)}
        << QStringList{ticking};
    QTest::newRow("readings lost and back")
        << alarmsOf(0, 0, 0, 20) << sensor << Run{wind(30, 8), silence(30), wind(10, 8)}
        << QStringList{"raise NoReadingSeconds 50s 20.3/20.0",
                       "clear NoReadingSeconds 60s 30.3/20.0", ticking};
    QTest::newRow("stopping clears, and silence after it raises nothing")
        << alarmsOf(10, 0, 0, 20) << sensor << Run{wind(180, 12), stop(), silence(60)}
        << QStringList{"raise MeanAbove 79s 12.0/10.0", "clear MeanAbove 180s 12.0/10.0"};
    QTest::newRow("listening again a minute later: the silence counts from the start")
        << alarmsOf(0, 0, 0, 20) << sensor
        << Run{wind(30, 8), stop(), silence(60), startSensor(), wind(10, 8)}
        << QStringList{ticking};
    QTest::newRow("example mode raises nothing")
        << alarmsOf(10, 0, 0, 20) << example << Run{wind(180, 12), silence(30)} << QStringList{};
    // The sensor's 2-minute mean starts afresh, without the made-up wind.
    QTest::newRow("example mode, then the sensor")
        << alarmsOf(10, 0) << example << Run{wind(180, 12), stop(), startSensor(), wind(120, 12)}
        << QStringList{"raise MeanAbove 259s 12.0/10.0", ticking};
    WindAlarmConfig tryingExampleMode = alarmsOf(10, 0);
    tryingExampleMode.exampleModeRaises = true;
    QTest::newRow("example mode raises when asked to")
        << tryingExampleMode << example << Run{wind(180, 12)}
        << QStringList{"raise MeanAbove 79s 12.0/10.0", ticking};
}

void tst_WindAlarms::sampleRuns()
{
    QFETCH(WindAlarmConfig, config);
    QFETCH(WindSource, source);
    QFETCH(Run, run);
    QFETCH(QStringList, expected);

    QCOMPARE(eventsOf(config, source, run), expected);
}

void tst_WindAlarms::acknowledgedForOneEpisode()
{
    WindAlarms alarms(alarmsOf(0, 0, 0, 20));
    alarms.sourceStarted(WindSource::Sensor, 0);
    alarms.evaluate(20000);
    alarms.acknowledgeAll();
    QCOMPARE(alarms.raisedAlarms().size(), 1u);
    QVERIFY(alarms.raisedAlarms()[0].acknowledged);
    alarms.addSample({21000, 90, 5});
    alarms.evaluate(41000);
    QCOMPARE(alarms.raisedAlarms().size(), 1u);
    QVERIFY(!alarms.raisedAlarms()[0].acknowledged);
}

QTEST_APPLESS_MAIN(tst_WindAlarms)
#include "tst_windalarms.moc"
