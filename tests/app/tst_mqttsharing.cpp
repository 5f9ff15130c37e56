// SPDX-License-Identifier: MIT
// The wind published to a Mosquitto broker that the test starts: frames from
// a pseudo-terminal through the real window, and the real executable ended
// by SIGTERM or kill -9 while the broker restarts under it. mosquitto_sub
// judges what reaches the broker.

#include "../mqttbroker.h"
#include "sensorframes.h"
#include "windowfixture.h"

#include "app/historywindow.h"
#include "app/mqttsharing.h"
#include "app/windrecorder.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
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
    void initTestCase();
    void acceptedFramesReachTheBroker();
    void sectionThatCannotBeUsedIsToldOnce_data();
    void sectionThatCannotBeUsedIsToldOnce();
    void applicationGoesOffline_data();
    void applicationGoesOffline();
};

void tst_MqttSharing::initTestCase()
{
    if (mqttProgram(QStringLiteral("mosquitto")).isEmpty()
        || mqttProgram(QStringLiteral("mosquitto_sub")).isEmpty())
        QFAIL("mosquitto and mosquitto_sub are needed (Debian: mosquitto, mosquitto-clients)");
}

void tst_MqttSharing::acceptedFramesReachTheBroker()
{
    MqttBroker broker;
    QVERIFY(broker.start());
    MqttSubscriber reader;
    QVERIFY(reader.start(broker, QStringLiteral("t/deck/#"), {"-t", "homeassistant/#"}));
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    WindowFixture fixture(withMqtt(broker, "Topic=t/deck\r\nInterval=0\r\n"),
                          QString::fromLocal8Bit(::ptsname(master)));
    fixture.start();
    WindRecorder recorder;
    connectRecorder(*fixture.window, recorder, [](int) { return QString(); });
    HistoryWindow history(recorder);
    MqttSharing sharing(fixture.settings, *fixture.window, recorder);
    connect(&sharing, &MqttSharing::statusChanged, &history, &HistoryWindow::setMqttStatus);
    sharing.setStaleAfterMs(400);
    QCOMPARE(sharing.start(), QString());
    QTRY_VERIFY(sharing.client()->isConnected());

    // Six retained configs that name the state topic, a unit or none, and a
    // unique id each.
    QTRY_COMPARE(reader.payloadsOn("t/deck/availability"), QList<QByteArray>{"online"});
    QStringList uniqueIds;
    for (const MqttSubscriber::Message &message : reader.messages) {
        if (!message.topic.startsWith("homeassistant/sensor/t_deck/"))
            continue;
        const QJsonObject config = json(message.payload);
        QCOMPARE(config["state_topic"].toString(), "t/deck/state");
        if (!message.topic.contains("/beaufort/"))
            QVERIFY(!config["unit_of_measurement"].toString().isEmpty()
                    && !config["device_class"].toString().isEmpty());
        uniqueIds << config["unique_id"].toString();
    }
    uniqueIds.removeDuplicates();
    QCOMPARE(uniqueIds.size(), 6);

    // Two good frames and a rejected one between them; then the line stays
    // quiet until the readings are stale.
    const QByteArray frames[]
        = {sensorFrame("A,123.4,5.6"), sensorFrame("A,200,30", "00"), sensorFrame("A,10,1")};
    int delay = 0;
    for (const QByteArray &frame : frames)
        QTimer::singleShot(delay += 50, fixture.window.get(), [&, frame] {
            QVERIFY(::write(master, frame.constData(), frame.size()) == frame.size());
        });
    QTimer::singleShot(delay + 1000, fixture.window.get(),
                       [&] { fixture.controls().listenButton->click(); });
    fixture.controls().listenButton->click();
    ::close(master);

    QTRY_COMPARE(reader.payloadsOn("t/deck/state").size(), 3);
    const QList<QByteArray> states = reader.payloadsOn("t/deck/state");
    const QJsonObject first = json(states[0]);
    QCOMPARE(first["direction_deg"].toDouble(), 123);
    QCOMPARE(first["speed_ms"].toDouble(), 5.6);
    QCOMPARE(first["speed_kmh"].toDouble(), 20.2);
    QCOMPARE(first["source"].toString(), "sensor");
    QCOMPARE(json(states[1])["direction_deg"].toDouble(), 10);
    QVERIFY(json(states[2])["speed_ms"].isNull());
    QVERIFY(json(states[2])["direction_deg"].isNull());
    QVERIFY(fixture.messages.isEmpty());

    const QList<QLabel *> labels = history.findChildren<QLabel *>();
    QVERIFY(std::any_of(labels.cbegin(), labels.cend(), [](const QLabel *label) {
        return label->accessibleName() == QLatin1String("MQTT: connected")
            && label->text() == QLatin1String("MQTT: connected");
    }));
}

void tst_MqttSharing::sectionThatCannotBeUsedIsToldOnce_data()
{
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<QString>("named");

    QTest::newRow("password file that others can read")
        << QByteArray("Username=wind\r\nPasswordFile=password\r\n") << "PasswordFile=";
    QTest::newRow("unknown key") << QByteArray("Prot=1883\r\n") << "Prot";
    QTest::newRow("interval out of range") << QByteArray("Interval=-1\r\n") << "Interval=-1";
}

// The window starts either way; nothing is opened, and the message names the
// key, the value and the file.
void tst_MqttSharing::sectionThatCannotBeUsedIsToldOnce()
{
    QFETCH(QByteArray, keys);
    QFETCH(QString, named);
    MqttBroker broker;
    WindowFixture fixture(withMqtt(broker, keys));
    QFile password(fixture.folder.filePath(QStringLiteral("password")));
    QVERIFY(password.open(QIODevice::WriteOnly) && password.write("secret\n") > 0);
    password.close();
    password.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    fixture.start();
    WindRecorder recorder;
    MqttSharing sharing(fixture.settings, *fixture.window, recorder);
    const QString problem = sharing.start();
    QVERIFY(!sharing.client());
    QVERIFY2(problem.contains(named), qPrintable(problem));
    QVERIFY2(problem.contains(fixture.settings.path()), qPrintable(problem));
    QVERIFY(fixture.state().running);
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
    QFile settings(folder.filePath(QStringLiteral("Application.ini")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write(settingsFile("True", "90", "4")
                   + "[MQTT]\r\nHost=localhost\r\nPort=" + QByteArray::number(broker.port)
                   + "\r\nTopic=t/app\r\nSendExampleMode=True\r\n");
    settings.close();
    const QString executable = folder.filePath(QStringLiteral("wind-condition"));
    QVERIFY(QFile::copy(QStringLiteral(WIND_CONDITION_EXE), executable));
    MqttSubscriber reader;
    QVERIFY(reader.start(broker, QStringLiteral("t/app/#")));
    QProcess app;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    app.setProcessEnvironment(environment);
    app.start(executable, {});
    QVERIFY(app.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(reader.payloadsOn("t/app/availability"), QList<QByteArray>{"online"},
                              10000);
    QTRY_VERIFY_WITH_TIMEOUT(!reader.payloadsOn("t/app/state").isEmpty(), 10000);
    QCOMPARE(json(reader.payloadsOn("t/app/state").first())["source"].toString(), "example");

    MqttSubscriber afterRestart;
    MqttSubscriber *watching = &reader;
    if (restartBroker) {
        // A fresh broker holds nothing retained: what the new reader gets,
        // the application published again after reconnecting.
        broker.stop();
        QVERIFY(broker.start());
        QVERIFY(afterRestart.start(broker, QStringLiteral("t/app/#"), {"-t", "homeassistant/#"}));
        QTRY_COMPARE_WITH_TIMEOUT(afterRestart.payloadsOn("t/app/availability"),
                                  QList<QByteArray>{"online"}, 35000);
        int configs = 0;
        for (const MqttSubscriber::Message &message : afterRestart.messages)
            configs += message.topic.startsWith("homeassistant/sensor/t_app/");
        QCOMPARE(configs, 6);
        QTRY_VERIFY_WITH_TIMEOUT(!afterRestart.payloadsOn("t/app/state").isEmpty(), 10000);
        watching = &afterRestart;
    }

    ::kill(pid_t(app.processId()), signalNumber);
    QVERIFY(app.waitForFinished(10000));
    QTRY_COMPARE(watching->payloadsOn("t/app/availability").last(), QByteArray("offline"));
    MqttSubscriber late;
    QVERIFY(late.start(broker, QStringLiteral("t/app/availability")));
    QTRY_COMPARE(late.payloadsOn("t/app/availability"), QList<QByteArray>{"offline"});
}

QTEST_MAIN(tst_MqttSharing)
#include "tst_mqttsharing.moc"
