// SPDX-License-Identifier: MIT
#include "app/nmeaoutput.h"
#include "core/windsample.h"

#include <QTest>
#include <QTimer>

using Sentences = QList<QByteArray>;

namespace {

constexpr int StaleAfterMs = 500;
constexpr int VoidIntervalMs = 40;

const QByteArray Void = "$WIMWV,,R,,N,V*34\r\n";
const QByteArray Mwv = "$WIMWV,045.3,R,19.4,N,A*1D\r\n";
const QByteArray Mwd = "$WIMWD,045.3,T,,M,19.4,N,10.0,M*7B\r\n";
const WindSample Sample{0, 45.3, 10.0};

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
        output.setStaleTiming(StaleAfterMs, VoidIntervalMs);
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
    void unstatableSampleIsReportedVoid();
    void staleDataSendVoidMwvUntilTheNextSample();
    void silentLineGoesStaleToo();
    void stoppingTheSourceStopsTheOutput_data();
    void stoppingTheSourceStopsTheOutput();
};

void tst_NmeaOutput::onePerChosenKind_data()
{
    QTest::addColumn<NmeaConfig>("config");
    QTest::addColumn<bool>("fromExampleMode");
    QTest::addColumn<Sentences>("expected");

    QTest::newRow("MWV alone") << config(true, false) << false << Sentences{Mwv};
    QTest::newRow("MWD alone") << config(false, true) << false << Sentences{Mwd};
    QTest::newRow("both, MWV first") << config(true, true) << false << Sentences{Mwv, Mwd};
    QTest::newRow("example mode not shared by default")
        << config(true, true) << true << Sentences{};
    QTest::newRow("example mode shared on request")
        << config(true, true, true) << true << Sentences{Mwv, Mwd};
    QTest::newRow("output off") << NmeaConfig() << false << Sentences{};
}

void tst_NmeaOutput::onePerChosenKind()
{
    QFETCH(NmeaConfig, config);
    QFETCH(bool, fromExampleMode);
    QFETCH(Sentences, expected);

    Recorder recorder(config);
    recorder.output.sampleAccepted(Sample, fromExampleMode);
    QCOMPARE(recorder.sent, expected);
    recorder.output.sampleAccepted(Sample, fromExampleMode);
    QCOMPARE(recorder.sent, expected + expected);
    // Nothing sent means nothing to watch over either.
    QCOMPARE(recorder.anyTimerRuns(), !expected.isEmpty() && config.sendMwv);
}

void tst_NmeaOutput::unstatableSampleIsReportedVoid()
{
    Recorder recorder(config(true, true));
    recorder.output.sampleAccepted({0, 45.3, 1e9}, false);
    QCOMPARE(recorder.sent, Sentences{Void});
}

void tst_NmeaOutput::staleDataSendVoidMwvUntilTheNextSample()
{
    Recorder recorder(config(true, true));
    recorder.output.sampleAccepted(Sample, false);
    QTest::qWait(StaleAfterMs / 5);
    QCOMPARE(recorder.sent, (Sentences{Mwv, Mwd}));

    QTRY_VERIFY(recorder.sent.size() >= 5);
    QVERIFY(recorder.output.isStale());
    QCOMPARE(recorder.sent.mid(2), Sentences(recorder.sent.size() - 2, Void));

    recorder.sent.clear();
    recorder.output.sampleAccepted(Sample, false);
    QVERIFY(!recorder.output.isStale());
    QTest::qWait(StaleAfterMs / 5);
    QCOMPARE(recorder.sent, (Sentences{Mwv, Mwd}));
}

// Listening to a line that never delivers: listeners see the loss too.
void tst_NmeaOutput::silentLineGoesStaleToo()
{
    Recorder recorder(config(true, true));
    recorder.output.listeningStarted();
    QTRY_VERIFY(recorder.sent.size() >= 3);
    QCOMPARE(recorder.sent, Sentences(recorder.sent.size(), Void));
    recorder.output.listeningStopped();
    QVERIFY(!recorder.anyTimerRuns());
}

// Each source stops only its own output; once stopped nothing more goes
// out and no timer is left running.
void tst_NmeaOutput::stoppingTheSourceStopsTheOutput_data()
{
    QTest::addColumn<bool>("fromExampleMode");
    QTest::addColumn<bool>("stopListening");
    QTest::addColumn<bool>("stops");

    QTest::newRow("listening stopped") << false << true << true;
    QTest::newRow("example mode stopped") << true << false << true;
    QTest::newRow("example mode stop leaves listening") << false << false << false;
    QTest::newRow("listening stop leaves example mode") << true << true << false;
}

void tst_NmeaOutput::stoppingTheSourceStopsTheOutput()
{
    QFETCH(bool, fromExampleMode);
    QFETCH(bool, stopListening);
    QFETCH(bool, stops);

    Recorder recorder(config(true, false, true));
    recorder.output.sampleAccepted(Sample, fromExampleMode);
    QTRY_VERIFY(recorder.output.isStale());
    if (stopListening)
        recorder.output.listeningStopped();
    else
        recorder.output.exampleModeStopped();
    const qsizetype sentBefore = recorder.sent.size();
    QTest::qWait(3 * VoidIntervalMs);
    QCOMPARE(recorder.sent.size() > sentBefore, !stops);
    QCOMPARE(recorder.anyTimerRuns(), !stops);
}

QTEST_GUILESS_MAIN(tst_NmeaOutput)
#include "tst_nmeaoutput.moc"
