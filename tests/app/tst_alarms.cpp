// SPDX-License-Identifier: MIT
#include "windowfixture.h"

#include "../platform/notificationservice.h"
#include "../sensorframes.h"
#include "app/alarmaddon.h"
#include "app/alarmlist.h"
#include "app/historyaddon.h"
#include "widgets/compasswidget.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>

#include <fcntl.h>
#include <unistd.h>

namespace {

// A script that appends "raise GustAbove" and the like for each run to a
// file beside it.
struct RecordingCommand
{
    RecordingCommand()
    {
        QFile file(script());
        file.open(QIODevice::WriteOnly);
        file.write("#!/bin/sh\necho \"$1 $2\" >> \"$0.record\"\n");
        file.setPermissions(file.permissions() | QFile::ExeOwner);
    }
    QString script() const { return folder.filePath(QStringLiteral("record-alarm")); }
    QStringList runs() const
    {
        QFile file(script() + QStringLiteral(".record"));
        return file.open(QIODevice::ReadOnly)
            ? QString::fromLatin1(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
            : QStringList();
    }

    QTemporaryDir folder;
};

QByteArray speedFrame(double metresPerSecond)
{
    return sensorFrame("A,90.0," + QByteArray::number(metresPerSecond, 'f', 2));
}

// The main window with the history and the alarms attached, the alarms on a
// clock of the test's own that runs as fast as the test needs.
struct Application
{
    Application(const QByteArray &settings, const QDBusConnection &bus, const QString &device = {})
        : fixture(settings, device)
        , history(fixture.settings, *fixture.feed, *fixture.window)
        , alarms(
              fixture.settings, *fixture.feed, *fixture.window,
              [this](CompassWidget::Ring ring, const QString &description) {
                  fixture.window->showAlarms(ring, description);
              },
              history, [this] { return clock; }, bus)
    {
        fixture.feed->setClocks([this] { return clock; },
                                [] { return QDateTime::currentMSecsSinceEpoch(); });
        fixture.window->readSettings();
        history.start();
        problems = alarms.start();
        fixture.window->start();
    }

    CompassWidget::Ring ring() const { return fixture.controls().compassGauge->ring(); }
    // The history window's alarm list as it reads, line by line.
    QString listed()
    {
        QStringList shown;
        for (QLabel *label :
             history.historyWindow().findChild<AlarmList *>()->findChildren<QLabel *>())
            shown << (label->isHidden() ? QString() : label->text());
        return shown.join(u' ').simplified();
    }

    qint64 clock = 1000000;
    WindowFixture fixture;
    HistoryAddOn history;
    AlarmAddOn alarms;
    QStringList problems;
};

} // namespace

// The alarms in the application, with a notification service on a D-Bus
// session of the test's own, or none.
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
    QDBusConnection bus(const char *name) const
    {
        return QDBusConnection::connectToBus(m_bus->address(), name + QString::number(m_run));
    }

    std::unique_ptr<PrivateBus> m_bus;
    FakeNotifications m_service;
    int m_run = 0;
};

void tst_Alarms::init()
{
    m_bus = std::make_unique<PrivateBus>();
    QVERIFY2(!m_bus->address().isEmpty(), "dbus-daemon did not start (Debian: dbus-daemon)");
    ++m_run;
    m_service.notified.clear();
    m_service.closed.clear();
}

void tst_Alarms::cleanup()
{
    for (const char *name : {"service", "client"})
        QDBusConnection::disconnectFromBus(name + QString::number(m_run));
    m_bus.reset();
}

// Frames cross GustAbove twice: each episode is one critical notification,
// closed when it clears, one raise and one clear for the command and the
// alarm log, and the compass says so; a single frame's spike raises nothing.
void tst_Alarms::gustEpisodesOnAPseudoTerminal()
{
    QVERIFY(m_service.serveOn(bus("service")));
    const int sensor = ::posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(sensor >= 0 && ::grantpt(sensor) == 0 && ::unlockpt(sensor) == 0);
    RecordingCommand command;
    Application app(settingsFile("False", "0", "0")
                        + "[ALARM]\r\nUnit=ms\r\nGustAbove=15\r\nCommand="
                        + command.script().toLocal8Bit() + "\r\n[LOG]\r\nFolder=.\r\n",
                    bus("client"), QString::fromLocal8Bit(::ptsname(sensor)));
    CompassWidget *compass = app.fixture.controls().compassGauge;
    QSignalSpy accepted(app.fixture.feed.get(), &WindFeed::sampleAccepted);
    app.fixture.controls().listenButton->click();
    // Each frame a step of the alarms' clock after the last.
    const auto send = [&](double speed, int frames, qint64 stepMs) {
        for (int i = 0; i < frames; ++i) {
            app.clock += stepMs;
            const QByteArray frame = speedFrame(speed);
            const qsizetype before = accepted.size();
            if (::write(sensor, frame.constData(), size_t(frame.size())) != frame.size()
                || (accepted.size() == before && !accepted.wait()))
                return false;
        }
        return true;
    };

    // 10 s at 4 frames a second, one of them at twice the threshold.
    QVERIFY(send(5, 20, 250) && send(30, 1, 250) && send(5, 20, 250));
    QCOMPARE(app.ring(), CompassWidget::Ring::Off);

    QVERIFY(send(20, 20, 250));
    QTRY_COMPARE(m_service.notified.size(), 1);
    QCOMPARE(m_service.notified[0].urgency.value<uchar>(), 2);
    QCOMPARE(m_service.notified[0].summary, QStringLiteral("Gust above 15 m/s"));
    QCOMPARE(app.ring(), CompassWidget::Ring::Blinking);
    QVERIFY2(compass->accessibleDescription().startsWith("Wind alarm: Gust above 15 m/s: "),
             qPrintable(compass->accessibleDescription()));

    // The command runs detached: each run is recorded before the next can
    // start, or two would race for the record.
    QTRY_COMPARE(command.runs().size(), 1);

    // The gust is the highest of the last 10 minutes: it clears a minute after
    // the strong wind has left them.
    QVERIFY(send(5, 140, 5000));
    QTRY_COMPARE(m_service.closed, QList<uint>{m_service.notified[0].id});
    QCOMPARE(app.ring(), CompassWidget::Ring::Off);
    QCOMPARE(compass->accessibleDescription(), QString());
    QTRY_COMPARE(command.runs().size(), 2);

    QVERIFY(send(20, 20, 250));
    QTRY_COMPARE(m_service.notified.size(), 2);
    QCOMPARE(m_service.notified[1].replacesId, 0u);
    QTRY_COMPARE(command.runs().size(), 3);
    // Nothing is watched once listening stops.
    app.fixture.controls().listenButton->click();
    QTRY_COMPARE(m_service.closed.size(), 2);
    ::close(sensor);

    const QStringList runs
        = {"raise GustAbove", "clear GustAbove", "raise GustAbove", "clear GustAbove"};
    QTRY_COMPARE(command.runs(), runs);
    const QStringList logs = QDir(app.fixture.folder.path()).entryList({"alarms-*.csv"});
    QCOMPARE(logs.size(), 1);
    QFile log(app.fixture.folder.filePath(logs[0]));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray rows = log.readAll();
    QCOMPARE(rows.count(",GustAbove,raise,"), 2);
    QCOMPARE(rows.count(",GustAbove,clear,"), 2);
    QVERIFY2(app.fixture.messages.isEmpty(), qPrintable(app.fixture.messageTexts().join(u'\n')));
}

void tst_Alarms::whatRaises_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<bool>("exampleMode");
    // Each step, then the ring after it: "frame" is a frame a quarter second
    // after the last, "silence 19" 19 s without one and a tick, "example 12"
    // 12 steps of example mode.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("runs"); // what the command was run with

    QTest::newRow("silence while listening raises, the next frame clears")
        << QByteArray("NoReadingSeconds=20\r\n") << false
        << QStringList{"frame: off", "silence 19: off", "silence 2: blinking", "frame: off"}
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
    Application app(settingsFile(exampleMode ? "True" : "False", "0", "10")
                        + "[ALARM]\r\nUnit=ms\r\nCommand=" + command.script().toLocal8Bit() + "\r\n"
                        + section,
                    bus("client"));
    QCOMPARE(app.problems, QStringList());
    if (!exampleMode)
        app.fixture.controls().listenButton->click();
    const char *const rings[] = {"off", "blinking", "steady"};
    for (const QString &step : steps) {
        const QStringList words = step.section(u':', 0, 0).split(u' ');
        if (words[0] == u"frame") {
            app.clock += 250;
            app.fixture.line->feed(speedFrame(5));
        } else if (words[0] == u"silence") {
            app.clock += words[1].toInt() * 1000;
            // The alarms see the time at their next tick.
            QTest::qWait(1200);
        }
        for (int i = 0; words[0] == u"example" && i < words[1].toInt(); ++i) {
            app.clock += 250;
            app.fixture.exampleTick();
        }
        QCOMPARE(step.section(u':', 0, 0) + QStringLiteral(": ") + rings[int(app.ring())], step);
    }
    QTRY_COMPARE(command.runs(), runs);
    QVERIFY2(app.fixture.messages.isEmpty(), qPrintable(app.fixture.messageTexts().join(u'\n')));
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
    QVERIFY(m_service.serveOn(bus("service")));
    Application app(settingsFile("False", "0", "0") + "[ALARM]\r\nNoReadingSeconds=5\r\n",
                    bus("client"));
    WindWindow *window = app.fixture.window.get();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QCOMPARE(app.listed(), QStringLiteral("No alarm raised"));

    app.fixture.controls().listenButton->click();
    app.clock += 6000;
    QTRY_COMPARE(app.ring(), CompassWidget::Ring::Blinking);
    QTRY_COMPARE(m_service.notified.size(), 1);
    QVERIFY2(app.listed().contains(QRegularExpression(
                 "^No reading for 5 s raised \\d\\d:\\d\\d:\\d\\d 6 s not acknowledged$")),
             qPrintable(app.listed()));

    if (by == u"escape") {
        QTest::keyClick(window, Qt::Key_Escape);
    } else if (by == u"button") {
        for (QPushButton *button :
             app.history.historyWindow().findChild<AlarmList *>()->findChildren<QPushButton *>()) {
            if (!button->isHidden())
                button->click();
        }
    } else {
        // Once the service's answer, which gives the notification its id,
        // is back.
        QTest::qWait(200);
        emit m_service.ActionInvoked(m_service.notified[0].id, QStringLiteral("acknowledge"));
    }
    QTRY_COMPARE(app.ring(), CompassWidget::Ring::Steady);
    QVERIFY2(app.listed().endsWith(" 6 s acknowledged"), qPrintable(app.listed()));
    QTRY_COMPARE(m_service.closed, QList<uint>{m_service.notified[0].id});

    app.clock += 250;
    app.fixture.line->feed(speedFrame(5));
    QCOMPARE(app.ring(), CompassWidget::Ring::Off);
    QCOMPARE(app.listed(), QStringLiteral("No alarm raised"));
}

QTEST_MAIN(tst_Alarms)
#include "tst_alarms.moc"
