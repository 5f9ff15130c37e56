// SPDX-License-Identifier: MIT
#include "windowfixture.h"

#include "../platform/notificationservice.h"
#include "app/alarmaddon.h"
#include "app/alarmlist.h"
#include "app/historyaddon.h"
#include "core/alarmlogwriter.h"
#include "sensorframes.h"
#include "widgets/compasswidget.h"

#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

namespace {

// The sensor's end of a pseudo-terminal.
class SensorLine
{
public:
    SensorLine()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0)
            device = QString::fromLocal8Bit(::ptsname(m_master));
    }
    ~SensorLine()
    {
        if (m_master >= 0)
            ::close(m_master);
    }
    bool send(const QByteArray &bytes) const
    {
        return ::write(m_master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    QString device;

private:
    int m_master = -1;
};

// A script that appends the arguments it is run with to a file, one run a
// line, fields ended by '|'.
struct RecordingCommand
{
    RecordingCommand()
    {
        QFile file(script());
        if (file.open(QIODevice::WriteOnly))
            file.write("#!/bin/sh\nprintf '%s|' \"$@\" >> \"$0.record\"\necho >> \"$0.record\"\n");
        file.close();
        file.setPermissions(file.permissions() | QFile::ExeOwner);
    }
    QString script() const { return folder.filePath(QStringLiteral("record-alarm")); }
    // "raise GustAbove" for each run, the value left out.
    QStringList runs() const
    {
        QFile file(script() + QStringLiteral(".record"));
        QStringList runs;
        if (!file.open(QIODevice::ReadOnly))
            return runs;
        for (const QByteArray &line : file.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split('|');
            if (fields.size() >= 3)
                runs << QString::fromLatin1(fields[0] + ' ' + fields[1]);
        }
        return runs;
    }

    QTemporaryDir folder;
};

QByteArray speedFrame(double metresPerSecond, double direction = 90)
{
    return sensorFrame("A," + QByteArray::number(direction, 'f', 1) + ','
                       + QByteArray::number(metresPerSecond, 'f', 2));
}

QString ringName(CompassWidget::Ring ring)
{
    switch (ring) {
    case CompassWidget::Ring::Off:
        return QStringLiteral("off");
    case CompassWidget::Ring::Blinking:
        return QStringLiteral("blinking");
    case CompassWidget::Ring::Steady:
        break;
    }
    return QStringLiteral("steady");
}

// The lines of the history window's alarm list that are shown, their texts
// joined by blanks.
QStringList listedAlarms(HistoryAddOn &history)
{
    QStringList lines;
    auto *list = history.historyWindow().findChild<AlarmList *>();
    if (!list)
        return lines;
    auto *grid = qobject_cast<QGridLayout *>(list->layout());
    for (int row = 1; row < grid->rowCount(); ++row) {
        QStringList parts;
        for (int column = 0; column < 4; ++column) {
            auto *label = qobject_cast<QLabel *>(grid->itemAtPosition(row, column)->widget());
            if (label && !label->isHidden())
                parts << label->text();
        }
        if (!parts.isEmpty())
            lines << parts.join(u' ');
    }
    return lines;
}

} // namespace

// The application's alarms: the main window on a pseudo-terminal or a fake
// line, the history add-on, a clock of the test's own that runs as fast as
// the test needs, and a private D-Bus session with or without a notification
// service.
class tst_Alarms : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void gustEpisodesOnAPseudoTerminal();
    void whatRaises_data();
    void whatRaises();
    void acknowledging_data();
    void acknowledging();

private:
    QDBusConnection busConnection(const QString &name) const
    {
        return QDBusConnection::connectToBus(m_bus->address(), name + QString::number(m_run));
    }

    std::unique_ptr<PrivateBus> m_bus;
    int m_run = 0;
};

void tst_Alarms::init()
{
    m_bus = std::make_unique<PrivateBus>();
    QVERIFY2(!m_bus->address().isEmpty(), "dbus-daemon did not start (Debian: dbus-daemon)");
    ++m_run;
}

void tst_Alarms::cleanup()
{
    for (const char *name : {"service", "client"})
        QDBusConnection::disconnectFromBus(QString::fromLatin1(name) + QString::number(m_run));
    m_bus.reset();
}

// Frames cross GustAbove twice: each episode is one critical notification,
// closed when it clears, one raise and one clear for the command and the
// alarm log, and the compass says so; a single sample's spike raises
// nothing.
void tst_Alarms::gustEpisodesOnAPseudoTerminal()
{
    FakeNotifications service;
    QVERIFY(service.serveOn(busConnection("service")));
    SensorLine sensor;
    QVERIFY(!sensor.device.isEmpty());
    RecordingCommand command;
    WindowFixture fixture(settingsFile("False", "0", "0")
                              + "[ALARM]\r\nUnit=ms\r\nGustAbove=15\r\nCommand="
                              + command.script().toLocal8Bit() + "\r\n[LOG]\r\nFolder=.\r\n",
                          sensor.device);
    HistoryAddOn history(*fixture.window, fixture.settings);
    qint64 clock = 1000000;
    AlarmAddOn alarms(
        *fixture.window, fixture.settings, history, [&clock] { return clock; },
        busConnection("client"));
    fixture.window->readSettings();
    history.startDataLog();
    QCOMPARE(alarms.start(), QStringList());
    fixture.window->start();
    CompassWidget *compass = fixture.controls().compassGauge;
    QSignalSpy accepted(fixture.window.get(), &WindWindow::sampleAccepted);
    fixture.controls().listenButton->click();
    QVERIFY(fixture.window->link());

    // Each frame a step of the test's clock after the last.
    const auto send = [&](double speed, int frames, qint64 stepMs) {
        for (int i = 0; i < frames; ++i) {
            clock += stepMs;
            const qsizetype before = accepted.size();
            if (!sensor.send(speedFrame(speed)) || (accepted.size() == before && !accepted.wait()))
                return false;
        }
        return true;
    };
    const auto gustRaised = [&] {
        return alarms.alarms()->isRaised(WindAlarmKind::Gust);
    };

    // 10 s at 4 frames a second, one frame of them at twice the threshold.
    QVERIFY(send(5, 20, 250));
    QVERIFY(send(30, 1, 250));
    QVERIFY(send(5, 20, 250));
    QVERIFY(!gustRaised());
    QCOMPARE(compass->ring(), CompassWidget::Ring::Off);

    QVERIFY(send(20, 20, 250));
    QVERIFY(gustRaised());
    QTRY_COMPARE(service.notified.size(), 1);
    QCOMPARE(service.notified[0].urgency.value<uchar>(), 2);
    QCOMPARE(service.notified[0].summary, QStringLiteral("Gust above 15 m/s"));
    QCOMPARE(compass->ring(), CompassWidget::Ring::Blinking);
    QVERIFY2(compass->accessibleDescription().contains(QStringLiteral("Gust above 15 m/s")),
             qPrintable(compass->accessibleDescription()));

    // The gust is the highest of the last 10 minutes: it clears a minute after
    // the strong wind has left them.
    QVERIFY(send(5, 140, 5000));
    QVERIFY(!gustRaised());
    QTRY_COMPARE(service.closed.size(), 1);
    QCOMPARE(service.closed[0], service.notified[0].id);
    QCOMPARE(compass->ring(), CompassWidget::Ring::Off);
    QCOMPARE(compass->accessibleDescription(), QString());

    QVERIFY(send(20, 20, 250));
    QTRY_COMPARE(service.notified.size(), 2);
    QCOMPARE(service.notified[1].replacesId, 0u);
    // Nothing is left watched once listening stops.
    fixture.controls().listenButton->click();
    QVERIFY(!gustRaised());
    QTRY_COMPARE(service.closed.size(), 2);

    const QStringList runs
        = {"raise GustAbove", "clear GustAbove", "raise GustAbove", "clear GustAbove"};
    QTRY_COMPARE(command.runs(), runs);
    QFile log(QDir(fixture.folder.path())
                  .filePath(AlarmLogWriter::fileNameForDay(QDateTime::currentMSecsSinceEpoch()
                                                           / (24 * 3600 * 1000))));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QStringList logged;
    for (const QByteArray &line : log.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(',');
        if (fields.size() == 5 && fields[0] != "time_utc")
            logged << QString::fromLatin1(fields[2] + ' ' + fields[1] + ' ' + fields[4]);
    }
    QCOMPARE(logged,
             (QStringList{"raise GustAbove 15", "clear GustAbove 15", "raise GustAbove 15",
                          "clear GustAbove 15"}));
    QVERIFY2(fixture.messages.isEmpty(), qPrintable(fixture.messageTexts().join(u'\n')));
}

void tst_Alarms::whatRaises_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<bool>("exampleMode");
    // Each step, then the ring as it is after it: "frame 5: off" is a frame
    // at 5 m/s a quarter second after the last, "silence 19: off" 19 s
    // without one and a tick, "example 12: off" 12 steps of example mode.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("runs"); // what the command was run with

    QTest::newRow("silence while listening raises, the next frame clears")
        << QByteArray("NoReadingSeconds=20\r\n") << false
        << QStringList{"frame 5: off", "silence 19: off", "silence 2: blinking", "frame 5: off"}
        << QStringList{"raise NoReadingSeconds", "clear NoReadingSeconds"};
    QTest::newRow("example mode raises nothing")
        << QByteArray("GustAbove=0.5\r\nNoReadingSeconds=1\r\n") << true
        << QStringList{"example 12: off"} << QStringList();
    QTest::newRow("example mode raises when the section asks for it")
        << QByteArray("GustAbove=0.5\r\nExampleMode=True\r\n") << true
        << QStringList{"example 12: blinking"} << QStringList{"raise GustAbove"};
}

// Without a notification service the ring is all there is, and nobody is
// told of the service missing.
void tst_Alarms::whatRaises()
{
    QFETCH(QByteArray, section);
    QFETCH(bool, exampleMode);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, runs);

    RecordingCommand command;
    WindowFixture fixture(settingsFile(exampleMode ? "True" : "False", "0", "10")
                          + "[ALARM]\r\nUnit=ms\r\nCommand=" + command.script().toLocal8Bit()
                          + "\r\n" + section);
    HistoryAddOn history(*fixture.window, fixture.settings);
    qint64 clock = 1000000;
    AlarmAddOn alarms(
        *fixture.window, fixture.settings, history, [&clock] { return clock; },
        busConnection("client"));
    fixture.window->readSettings();
    QCOMPARE(alarms.start(), QStringList());
    fixture.window->start();
    if (!exampleMode)
        fixture.controls().listenButton->click();

    for (const QString &step : steps) {
        const QStringList words = step.section(u':', 0, 0).split(u' ');
        const int count = words[1].toInt();
        if (words[0] == u"frame") {
            clock += 250;
            fixture.line->feed(speedFrame(count));
        } else if (words[0] == u"silence") {
            clock += count * 1000;
            // The rules see the time at their next tick.
            QTest::qWait(1200);
        } else {
            for (int i = 0; i < count; ++i) {
                clock += 250;
                fixture.exampleTick();
            }
        }
        QCOMPARE(ringName(fixture.controls().compassGauge->ring()) + u' ' + step,
                 step.section(u':', 1).trimmed() + u' ' + step);
    }
    QTRY_COMPARE(command.runs(), runs);
    QVERIFY2(fixture.messages.isEmpty(), qPrintable(fixture.messageTexts().join(u'\n')));
}

void tst_Alarms::acknowledging_data()
{
    QTest::addColumn<QString>("by");
    QTest::newRow("Esc on the main window") << "escape";
    QTest::newRow("the history window's button") << "button";
    QTest::newRow("the notification's Acknowledge") << "notification";
}

// Acknowledged, an alarm stays raised with a steady ring, its notification
// goes and the history window says so; it clears as any other.
void tst_Alarms::acknowledging()
{
    QFETCH(QString, by);
    FakeNotifications service;
    QVERIFY(service.serveOn(busConnection("service")));
    WindowFixture fixture(settingsFile("False", "0", "0")
                          + "[ALARM]\r\nNoReadingSeconds=5\r\nGustAbove=30\r\n");
    HistoryAddOn history(*fixture.window, fixture.settings);
    qint64 clock = 1000000;
    AlarmAddOn alarms(
        *fixture.window, fixture.settings, history, [&clock] { return clock; },
        busConnection("client"));
    fixture.window->readSettings();
    QCOMPARE(alarms.start(), QStringList());
    fixture.window->start();
    fixture.window->show();
    fixture.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(fixture.window.get()));
    CompassWidget *compass = fixture.controls().compassGauge;
    QCOMPARE(listedAlarms(history), QStringList());

    fixture.controls().listenButton->click();
    clock += 6000;
    QTRY_COMPARE(compass->ring(), CompassWidget::Ring::Blinking);
    QTRY_COMPARE(service.notified.size(), 1);
    QCOMPARE(service.notified[0].summary, QStringLiteral("No reading for 5 s"));
    QStringList listed = listedAlarms(history);
    QCOMPARE(listed.size(), 1);
    QVERIFY2(listed[0].startsWith(QStringLiteral("No reading for 5 s raised "))
                 && listed[0].endsWith(QStringLiteral(" not acknowledged")),
             qPrintable(listed[0]));

    if (by == u"escape") {
        QTest::keyClick(fixture.window.get(), Qt::Key_Escape);
    } else if (by == u"button") {
        const QList<QPushButton *> buttons
            = history.historyWindow().findChild<AlarmList *>()->findChildren<QPushButton *>();
        const auto shown = std::find_if(buttons.begin(), buttons.end(),
                                        [](QPushButton *button) { return !button->isHidden(); });
        QVERIFY(shown != buttons.end());
        (*shown)->click();
    } else {
        // Once the service's answer, which gives the notification its id,
        // has come back.
        QTest::qWait(200);
        emit service.ActionInvoked(service.notified[0].id, QStringLiteral("acknowledge"));
    }
    QTRY_COMPARE(compass->ring(), CompassWidget::Ring::Steady);
    QVERIFY(alarms.alarms()->isRaised(WindAlarmKind::NoReading));
    QVERIFY2(listedAlarms(history).value(0).endsWith(QStringLiteral(" acknowledged"))
                 && !listedAlarms(history).value(0).contains(QStringLiteral("not")),
             qPrintable(listedAlarms(history).value(0)));
    QTRY_COMPARE(service.closed, QList<uint>{service.notified[0].id});
    QVERIFY2(compass->accessibleDescription().contains(QStringLiteral(", acknowledged")),
             qPrintable(compass->accessibleDescription()));

    clock += 250;
    fixture.line->feed(speedFrame(5));
    QCOMPARE(compass->ring(), CompassWidget::Ring::Off);
    QCOMPARE(listedAlarms(history), QStringList());
    QCOMPARE(service.notified.size(), 1);
}

QTEST_MAIN(tst_Alarms)
#include "tst_alarms.moc"
