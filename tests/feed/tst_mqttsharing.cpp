// SPDX-License-Identifier: MIT
// The wind published to a Mosquitto broker that the test starts: frames from
// a pseudo-terminal through the feed, and the real executable ended
// by SIGTERM or kill -9 while the broker restarts under it. mosquitto_sub
// judges what reaches the broker.

#include "../mqttbroker.h"
#include "../sensorframes.h"
#include "feedfixture.h"

#include "feed/mqttsharing.h"
#include "feed/windrecorder.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

namespace {

QByteArray withMqtt(const MqttBroker &broker, const QByteArray &keys)
{
    return settingsFile("False", "0", "0")
        + "[MQTT]\r\nHost=127.0.0.1\r\nPort=" + QByteArray::number(broker.port) + "\r\n" + keys;
}

QJsonObject json(const QByteArray &payload)
{
    return QJsonDocument::fromJson(payload).object();
}

} // namespace

class tst_MqttSharing : public QObject
{
    Q_OBJECT

private slots:
    void acceptedFramesReachTheBroker();
    void passwordFileThatOthersCanReadIsRefused();
    void applicationGoesOffline_data();
    void applicationGoesOffline();
};

void tst_MqttSharing::acceptedFramesReachTheBroker()
{
    MqttBroker broker;
    QVERIFY(broker.start());
    MqttSubscriber reader;
    QVERIFY(reader.start(broker, "t/deck/#"));
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    FeedFixture fixture(withMqtt(broker, "Topic=t/deck\r\nInterval=0\r\n"),
                        QString::fromLocal8Bit(::ptsname(master)));
    fixture.start();
    WindRecorder recorder;
    // Ten minutes of 15 knots from the west, a sample a second.
    const qint64 startMs = monotonicMilliseconds();
    for (qint64 ms = 599000; ms > 0; ms -= 1000)
        recorder.recordSample({startMs - ms, 270, 7.7}, WindSource::Sensor, 1);
    connectRecorder(*fixture.feed, recorder);
    MqttSharing sharing(fixture.settings, *fixture.feed, recorder);
    QSignalSpy statuses(&sharing, &MqttSharing::statusChanged);
    QSignalSpy problems(&sharing, &MqttSharing::problem);
    fixture.setStaleAfterMs(400);
    QCOMPARE(sharing.start(), QStringList());
    QTRY_VERIFY(sharing.client()->isConnected());

    QTRY_COMPARE(reader.payloadsOn("t/deck/availability"), QList<QByteArray>{"online"});

    // Two good frames and a rejected one between them; then the line stays
    // quiet until the readings are stale.
    const QByteArray frames[]
        = {sensorFrame("A,123.4,5.6"), sensorFrame("A,200,30", "00"), sensorFrame("A,10,1")};
    QList<std::function<void()>> steps;
    for (const QByteArray &frame : frames)
        steps << [master, frame] {
            QVERIFY(::write(master, frame.constData(), frame.size()) == frame.size());
        };
    fixture.listenWhile(steps, 50);
    QTest::qWait(1000);
    fixture.feed->toggleListening();
    ::close(master);

    QTRY_COMPARE(reader.payloadsOn("t/deck/state").size(), 3);
    const QList<QByteArray> states = reader.payloadsOn("t/deck/state");
    const QJsonObject first = json(states[0]);
    QCOMPARE(first["direction_deg"].toDouble(), 123);
    QCOMPARE(first["speed_ms"].toDouble(), 5.6);
    QCOMPARE(first["speed_kmh"].toDouble(), 20.2);
    QCOMPARE(first["source"].toString(), "sensor");
    // Each frame's direction joins the variation: 123.4 to 270 degrees, then
    // with 10 degrees an arc of 180 degrees or more.
    QCOMPARE(first["metar_wind_10min"].toString(), "27015KT 120V270");
    QCOMPARE(json(states[1])["direction_deg"].toDouble(), 10);
    // The group is worked out at most once a second: a message in the same
    // second as the first repeats its group.
    const QString second = json(states[1])["metar_wind_10min"].toString();
    QVERIFY2(second == QLatin1String("27015KT 120V270") || second == QLatin1String("VRB15KT"),
             qPrintable(second));
    QVERIFY(json(states[2])["speed_ms"].isNull());
    QVERIFY(json(states[2])["direction_deg"].isNull());
    QVERIFY(problems.isEmpty());
    QCOMPARE(statuses.last().at(0).toString(), QStringLiteral("MQTT: connected"));
}

// The feed runs either way; nothing is opened, and the message names the
// key, the value and the file.
void tst_MqttSharing::passwordFileThatOthersCanReadIsRefused()
{
    MqttBroker broker;
    FeedFixture fixture(withMqtt(broker, "Username=wind\r\nPasswordFile=password\r\n"));
    QFile password(fixture.folder.filePath(QStringLiteral("password")));
    QVERIFY(password.open(QIODevice::WriteOnly) && password.write("secret\n") > 0);
    password.close();
    password.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    fixture.start();
    WindRecorder recorder;
    MqttSharing sharing(fixture.settings, *fixture.feed, recorder);
    const QStringList problems = sharing.start();
    QVERIFY(!sharing.client());
    QCOMPARE(problems.size(), 1);
    QVERIFY2(problems[0].contains("PasswordFile=" + password.fileName()), qPrintable(problems[0]));
    QVERIFY2(problems[0].contains(fixture.settings.path()), qPrintable(problems[0]));
    QVERIFY(fixture.feed->isRunning());
}

void tst_MqttSharing::applicationGoesOffline_data()
{
    QTest::addColumn<bool>("restartBroker");
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("broker restarted, then SIGTERM") << true << int(SIGTERM);
    QTest::newRow("kill -9: the broker's last will") << false << int(SIGKILL);
}

void tst_MqttSharing::applicationGoesOffline()
{
    QFETCH(bool, restartBroker);
    QFETCH(int, signalNumber);
    MqttBroker broker;
    QVERIFY(broker.start());
    QTemporaryDir folder;
    QFile settings(folder.filePath("Application.ini"));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write(settingsFile("True", "90", "4")
                   + "[MQTT]\r\nHost=localhost\r\nPort=" + QByteArray::number(broker.port)
                   + "\r\nTopic=t/app\r\nSendExampleMode=True\r\n");
    settings.close();
    QVERIFY(QFile::copy(WIND_CONDITION_EXE, folder.filePath("wind-condition")));
    MqttSubscriber reader;
    QVERIFY(reader.start(broker, "t/app/#"));
    QProcess app;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    app.setProcessEnvironment(environment);
    app.start(folder.filePath("wind-condition"), {});
    QTRY_COMPARE_WITH_TIMEOUT(reader.payloadsOn("t/app/availability"), QList<QByteArray>{"online"},
                              10000);
    QTRY_VERIFY_WITH_TIMEOUT(!reader.payloadsOn("t/app/state").isEmpty(), 10000);
    QCOMPARE(json(reader.payloadsOn("t/app/state").first())["source"].toString(), "example");

    if (restartBroker) {
        // A fresh broker holds nothing retained: what a new reader gets, the
        // application published again once it was back in.
        broker.stop();
        QVERIFY(broker.start());
        MqttSubscriber afterRestart;
        QVERIFY(afterRestart.start(broker, "t/app/#", {"-t", "homeassistant/sensor/t_app/#"}));
        QTRY_COMPARE_WITH_TIMEOUT(afterRestart.payloadsOn("t/app/availability"),
                                  QList<QByteArray>{"online"}, 35000);
        QCOMPARE(std::count_if(afterRestart.messages.cbegin(), afterRestart.messages.cend(),
                               [](const auto &message) {
                                   return message.topic.startsWith("homeassistant/");
                               }),
                 7);
        QTRY_VERIFY_WITH_TIMEOUT(!afterRestart.payloadsOn("t/app/state").isEmpty(), 10000);
    }

    ::kill(pid_t(app.processId()), signalNumber);
    QVERIFY(app.waitForFinished(10000));
    MqttSubscriber afterwards;
    QVERIFY(afterwards.start(broker, "t/app/availability"));
    QTRY_COMPARE(afterwards.payloadsOn("t/app/availability"), QList<QByteArray>{"offline"});
}

QTEST_MAIN(tst_MqttSharing)
#include "tst_mqttsharing.moc"
