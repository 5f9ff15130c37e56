// SPDX-License-Identifier: MIT
#include "feed/nmeaoutput.h"

#include <QTest>
#include <QTimer>

using Sentences = QList<QByteArray>;

namespace {

constexpr int VoidIntervalMs = 40;

const QByteArray Void = "$WIMWV,,R,,N,V*34\r\n";
const QByteArray Mwv = "$WIMWV,045.3,R,19.4,N,A*1D\r\n";
const QByteArray Mwd = "$WIMWD,045.3,T,,M,19.4,N,10.0,M*7B\r\n";
const QByteArray MwvTrue = "$WIMWV,045.3,T,19.4,N,A*1B\r\n";
const QByteArray MwvTrueOffBow = "$WIMWV,030.0,T,19.4,N,A*1A\r\n";
const QByteArray VoidTrue = "$WIMWV,,T,,N,V*32\r\n";

WindFeedReading reading(WindSource source = WindSource::Sensor, WindKind kind = WindKind::Sensor,
                        std::optional<double> angleOffBow = std::nullopt, double speed = 10.0)
{
    WindFeedReading reading;
    reading.sample = {0, 45.3, speed};
    reading.source = source;
    reading.kind = kind;
    reading.angleOffBowDegrees = angleOffBow;
    return reading;
}

NmeaConfig config(bool mwv, bool mwd, bool sendExampleMode = false)
{
    NmeaConfig config;
    config.tcpPort = 10110;
    config.sendMwv = mwv;
    config.sendMwd = mwd;
    config.sendExampleMode = sendExampleMode;
    return config;
}

// An output whose sentences land in a list, with short stale times.
struct Recorder
{
    explicit Recorder(const NmeaConfig &config)
        : output(config, [this](const QByteArray &sentence) { sent << sentence; })
    {
        output.setVoidInterval(VoidIntervalMs);
    }
    bool anyTimerRuns() const
    {
        const QList<QTimer *> timers = output.findChildren<QTimer *>();
        return std::any_of(timers.begin(), timers.end(), [](QTimer *t) { return t->isActive(); });
    }
    Sentences sent;
    NmeaOutput output;
};

} // namespace

class tst_NmeaOutput : public QObject
{
    Q_OBJECT

private slots:
    void onePerChosenKind_data();
    void onePerChosenKind();
    void staleReadingsSendVoidMwvUntilTheNextSample();
    void stoppingTheSourceStopsTheVoid();
};

// Relative wind goes out as MWV R; true wind as MWV T off the bow, and as
// MWD only where its direction from north is known. A speed beyond the
// inputs' limit cannot arrive; were it to, nothing is sent, as for a
// rejected frame.
void tst_NmeaOutput::onePerChosenKind_data()
{
    QTest::addColumn<NmeaConfig>("config");
    QTest::addColumn<WindFeedReading>("shown");
    QTest::addColumn<Sentences>("expected");

    const WindSource sensor = WindSource::Sensor;
    const WindFeedReading example = reading(WindSource::ExampleMode);
    const NmeaConfig both = config(true, true);
    QTest::newRow("MWV alone") << config(true, false) << reading() << Sentences{Mwv};
    QTest::newRow("MWD alone") << config(false, true) << reading() << Sentences{Mwd};
    QTest::newRow("both, MWV first") << both << reading() << Sentences{Mwv, Mwd};
    QTest::newRow("example mode not shared by default") << both << example << Sentences{};
    QTest::newRow("example mode shared on request")
        << config(true, true, true) << example << Sentences{Mwv, Mwd};
    QTest::newRow("output off") << NmeaConfig() << reading() << Sentences{};
    QTest::newRow("apparent: off the bow, no MWD")
        << both << reading(sensor, WindKind::Apparent) << Sentences{Mwv};
    QTest::newRow("true off the bow: MWV T, no MWD")
        << both << reading(sensor, WindKind::TrueOffBow) << Sentences{MwvTrue};
    QTest::newRow("true from north: MWV T at its angle, MWD")
        << both << reading(sensor, WindKind::TrueFromNorth, 30.0) << Sentences{MwvTrueOffBow, Mwd};
    QTest::newRow("true from north, angle unknown: MWD alone")
        << both << reading(sensor, WindKind::TrueFromNorth) << Sentences{Mwd};
    QTest::newRow("beyond any wind: nothing")
        << both << reading(sensor, WindKind::Sensor, std::nullopt, 1e9) << Sentences{};
}

void tst_NmeaOutput::onePerChosenKind()
{
    QFETCH(NmeaConfig, config);
    QFETCH(WindFeedReading, shown);
    QFETCH(Sentences, expected);

    Recorder recorder(config);
    recorder.output.sampleAccepted(shown);
    QCOMPARE(recorder.sent, expected);
    recorder.output.sampleAccepted(shown);
    QCOMPARE(recorder.sent, expected + expected);
    QVERIFY(!recorder.anyTimerRuns());
}

void tst_NmeaOutput::staleReadingsSendVoidMwvUntilTheNextSample()
{
    Recorder recorder(config(true, true));
    recorder.output.sampleAccepted(reading(WindSource::Sensor, WindKind::TrueOffBow));
    recorder.sent.clear();
    recorder.output.readingsStale(true);
    QTRY_VERIFY(recorder.sent.size() >= 3);
    QVERIFY(recorder.output.isStale());
    // The void keeps the reference of the wind it replaces.
    QCOMPARE(recorder.sent, Sentences(recorder.sent.size(), VoidTrue));

    recorder.sent.clear();
    recorder.output.sampleAccepted(reading());
    QVERIFY(!recorder.output.isStale());
    QTest::qWait(3 * VoidIntervalMs);
    QCOMPARE(recorder.sent, (Sentences{Mwv, Mwd}));
    QVERIFY(!recorder.anyTimerRuns());
}

void tst_NmeaOutput::stoppingTheSourceStopsTheVoid()
{
    Recorder recorder(config(true, false));
    recorder.output.readingsStale(true);
    QTRY_VERIFY(recorder.output.isStale());
    QCOMPARE(recorder.sent.value(0), Void);
    recorder.output.sourceStopped();
    const qsizetype sentBefore = recorder.sent.size();
    QTest::qWait(3 * VoidIntervalMs);
    QCOMPARE(recorder.sent.size(), sentBefore);
    QVERIFY(!recorder.anyTimerRuns());
}

QTEST_GUILESS_MAIN(tst_NmeaOutput)
#include "tst_nmeaoutput.moc"
