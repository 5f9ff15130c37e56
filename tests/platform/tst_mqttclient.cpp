// SPDX-License-Identifier: MIT
// The MQTT client against a real Mosquitto broker that each test starts, with
// mosquitto_sub judging what arrives.

#include "../mqttbroker.h"

#include "platform/mqttclient.h"

#include <QSignalSpy>
#include <QTest>

namespace {

MqttConnection connectionTo(const MqttBroker &broker)
{
    MqttConnection connection;
    connection.host = QStringLiteral("127.0.0.1");
    connection.port = broker.port;
    connection.will = {"t/availability", "offline", 1, true};
    connection.onConnect = {{"t/config", "{}", 1, true}, {"t/availability", "online", 1, true}};
    return connection;
}

QList<int> retryDelays(const QSignalSpy &failures)
{
    QList<int> delays;
    for (const QList<QVariant> &arguments : failures)
        delays << arguments.at(0).value<MqttFailure>().retryInSeconds;
    return delays;
}

} // namespace

class tst_MqttClient : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void publishesAfterEveryConnectionAndClosesWithTheWill();
    void connectionOutcomes_data();
    void connectionOutcomes();
    void attemptsBackOffFromOneSecond();
    void queueKeepsTheNewestWhileWaiting();
};

void tst_MqttClient::initTestCase()
{
    if (mqttProgram(QStringLiteral("mosquitto")).isEmpty()
        || mqttProgram(QStringLiteral("mosquitto_sub")).isEmpty())
        QFAIL("mosquitto and mosquitto_sub are needed (Debian: mosquitto, mosquitto-clients)");
}

void tst_MqttClient::publishesAfterEveryConnectionAndClosesWithTheWill()
{
    MqttBroker broker;
    QVERIFY(broker.start());
    MqttSubscriber before;
    QVERIFY(before.start(broker, QStringLiteral("t/#")));
    MqttClient client(connectionTo(broker));
    QSignalSpy failures(&client, &MqttClient::connectionFailed);
    client.start();
    QTRY_VERIFY(client.isConnected());
    client.publish("t/state", "1");
    QTRY_COMPARE(before.messages.size(), 3);
    QCOMPARE(before.messages[0].topic + ' ' + before.messages[0].payload, "t/config {}");
    QCOMPARE(before.messages[1].topic + ' ' + before.messages[1].payload, "t/availability online");
    QCOMPARE(before.messages[2].topic + ' ' + before.messages[2].payload, "t/state 1");

    // A restart loses the broker's retained messages; the client puts them
    // back once it is in again.
    broker.stop();
    QTRY_VERIFY(!failures.isEmpty());
    QCOMPARE(failures.first().at(0).value<MqttFailure>().retryInSeconds, 1);
    QVERIFY(broker.start());
    QTRY_VERIFY_WITH_TIMEOUT(client.isConnected(), 35000);
    MqttSubscriber after;
    QVERIFY(after.start(broker, QStringLiteral("t/#")));
    QTRY_COMPARE(after.payloadsOn("t/availability"), QList<QByteArray>{"online"});
    QCOMPARE(after.payloadsOn("t/config"), QList<QByteArray>{"{}"});

    client.close();
    QTRY_COMPARE(after.payloadsOn("t/availability"), (QList<QByteArray>{"online", "offline"}));
    client.publish("t/state", "after close");
    QTest::qWait(200);
    QVERIFY(after.payloadsOn("t/state").isEmpty());
}

void tst_MqttClient::connectionOutcomes_data()
{
    QTest::addColumn<bool>("tls");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("caFile"); // in the broker's folder
    QTest::addColumn<QByteArray>("password"); // the broker wants "secret"
    QTest::addColumn<int>("kind"); // -1: connected
    QTest::addColumn<int>("retry");

    const int credentials = int(MqttFailure::Kind::Credentials);
    const int certificate = int(MqttFailure::Kind::Certificate);
    QTest::newRow("password") << false << "127.0.0.1"
                              << "" << QByteArray("secret") << -1 << 0;
    QTest::newRow("wrong password") << false << "127.0.0.1"
                                    << "" << QByteArray("guess") << credentials << 30;
    QTest::newRow("TLS, the broker's CA") << true << "localhost"
                                          << "ca.pem" << QByteArray() << -1 << 0;
    QTest::newRow("TLS, another CA") << true << "localhost"
                                     << "other-ca.pem" << QByteArray() << certificate << 30;
    QTest::newRow("TLS, host not named in the certificate")
        << true << "127.0.0.1"
        << "ca.pem" << QByteArray() << certificate << 30;
}

void tst_MqttClient::connectionOutcomes()
{
    QFETCH(bool, tls);
    QFETCH(QString, host);
    QFETCH(QString, caFile);
    QFETCH(QByteArray, password);
    QFETCH(int, kind);
    QFETCH(int, retry);
    MqttBroker::Options options;
    options.tls = tls;
    if (!tls)
        options = {false, "wind", "secret"};
    MqttBroker broker(options);
    QVERIFY(broker.start());

    MqttConnection connection = connectionTo(broker);
    connection.host = host;
    if (!caFile.isEmpty())
        connection.caFile = broker.folder.filePath(caFile);
    if (!tls) {
        connection.username = QStringLiteral("wind");
        connection.password = password;
    }
    MqttClient client(connection);
    QSignalSpy failures(&client, &MqttClient::connectionFailed);
    client.start();
    if (kind < 0) {
        // What is published arrives, read by a client that checks the
        // certificate itself.
        MqttSubscriber reader;
        const QStringList extra = tls
            ? QStringList{"-h", "localhost", "--cafile", broker.folder.filePath("ca.pem")}
            : QStringList{"-u", "wind", "-P", "secret"};
        QVERIFY(reader.start(broker, QStringLiteral("t/#"), extra));
        QTRY_VERIFY(client.isConnected());
        client.publish("t/state", "through");
        QTRY_COMPARE(reader.payloadsOn("t/state"), QList<QByteArray>{"through"});
        QVERIFY(failures.isEmpty());
        return;
    }
    QTRY_COMPARE(failures.size(), 1);
    const MqttFailure failure = failures.first().at(0).value<MqttFailure>();
    QCOMPARE(int(failure.kind), kind);
    QCOMPARE(failure.retryInSeconds, retry);
    QVERIFY(!failure.reason.isEmpty());
    QVERIFY(!client.isConnected());
}

void tst_MqttClient::attemptsBackOffFromOneSecond()
{
    MqttBroker nothingListening;
    MqttClient client(connectionTo(nothingListening));
    QSignalSpy failures(&client, &MqttClient::connectionFailed);
    client.start();
    QTRY_VERIFY_WITH_TIMEOUT(failures.size() >= 4, 10000);
    QCOMPARE(retryDelays(failures).mid(0, 4), (QList<int>{1, 2, 4, 8}));
    QCOMPARE(int(failures.first().at(0).value<MqttFailure>().kind),
             int(MqttFailure::Kind::Unreachable));
}

// A broker that has stopped answering holds the client before its CONNACK:
// the queue keeps the newest 100, which go out in order once it answers.
void tst_MqttClient::queueKeepsTheNewestWhileWaiting()
{
    MqttBroker broker;
    QVERIFY(broker.start());
    MqttSubscriber reader;
    QVERIFY(reader.start(broker, QStringLiteral("t/state")));
    broker.signal(SIGSTOP);
    MqttClient client(connectionTo(broker));
    client.start();
    for (int i = 1; i <= 150; ++i)
        client.publish("t/state", QByteArray::number(i));
    QCOMPARE(client.droppedCount(), 50);
    broker.signal(SIGCONT);
    QTRY_COMPARE(reader.messages.size(), MqttClient::MaxQueued);
    QCOMPARE(reader.messages.first().payload, "51");
    QCOMPARE(reader.messages.last().payload, "150");
    for (int i = 1; i < reader.messages.size(); ++i)
        QCOMPARE(reader.messages[i].payload.toInt(), reader.messages[i - 1].payload.toInt() + 1);
}

QTEST_GUILESS_MAIN(tst_MqttClient)
#include "tst_mqttclient.moc"
