// SPDX-License-Identifier: MIT
// The alarms' monitor on the feed, with no window: what the rules hear of
// the readings, on a clock of the test's own.

#include "../sensorframes.h"
#include "feedfixture.h"

#include "feed/alarmmonitor.h"
#include "feed/windrecorder.h"

#include <QDBusConnection>
#include <QDateTime>

using Payloads = QList<QByteArray>;

class tst_AlarmMonitor : public QObject
{
    Q_OBJECT

private slots:
    void rulesHearCompleteReadingsOnly_data();
    void rulesHearCompleteReadingsOnly();
};

void tst_AlarmMonitor::rulesHearCompleteReadingsOnly_data()
{
    QTest::addColumn<QByteArray>("payload"); // sent once a second of the test's clock
    QTest::addColumn<QList<WindAlarmKind>>("raised");

    QTest::newRow("speed left out: no reading, the silence alarm rises")
        << QByteArray("Q,090,,M,00,") << QList<WindAlarmKind>{WindAlarmKind::NoReading};
    QTest::newRow("complete readings keep it quiet")
        << QByteArray("Q,090,005.00,M,00,") << QList<WindAlarmKind>{};
}

void tst_AlarmMonitor::rulesHearCompleteReadingsOnly()
{
    QFETCH(QByteArray, payload);
    QFETCH(QList<WindAlarmKind>, raised);
    qint64 clock = 1000000;
    FeedFixture fixture(settingsFile("False", "0", "0")
                        + "[ALARM]\r\nUnit=ms\r\nGustAbove=15\r\nNoReadingSeconds=5\r\n");
    fixture.feed->setClocks([&clock] { return clock; },
                            [] { return QDateTime::currentMSecsSinceEpoch(); });
    WindRecorder recorder;
    AlarmMonitor monitor(
        fixture.settings, *fixture.feed, recorder, [&clock] { return clock; },
        QDBusConnection(QString()));
    QCOMPARE(monitor.start(), QStringList());
    fixture.start();

    QList<std::function<void()>> steps;
    for (int second = 0; second < 10; ++second)
        steps << [&] {
            clock += 1000;
            fixture.line->feed(sensorFrame(payload));
        };
    fixture.listenWhile(steps);
    // The silence is judged on the monitor's tick, once a second.
    QTest::qWait(1200);
    QList<WindAlarmKind> seen;
    for (const RaisedWindAlarm &alarm : monitor.raisedAlarms())
        seen << alarm.kind;
    QCOMPARE(seen, raised);
}

QTEST_GUILESS_MAIN(tst_AlarmMonitor)
#include "tst_alarmmonitor.moc"
