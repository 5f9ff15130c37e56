// SPDX-License-Identifier: MIT
// The MQTT client against a real Mosquitto broker that each test starts, with
// mosquitto_sub judging what arrives. Reconnecting after a broker restart and
// the will are checked end to end, in tst_mqttsharing.

#include "../mqttbroker.h"

#include "platform/mqttclient.h"

#include <QSignalSpy>

namespace {

MqttConnection connectionTo(const MqttBroker &broker, const QString &host = "127.0.0.1")
{
    MqttConnection connection;
    connection.host = host;
    connection.port = broker.port;
    return connection;
}

MqttFailure failureAt(const QSignalSpy &failures, int index)
{
    return failures.at(index).at(0).value<MqttFailure>();
}

} // namespace

class tst_MqttClient : public QObject
{
    Q_OBJECT

private slots:
    void connectionOutcomes_data();
    void connectionOutcomes();
    void attemptsBackOffFromOneSecond();
    void queueKeepsTheNewestWhileWaiting();
};

void tst_MqttClient::connectionOutcomes_data()
{
    QTest::addColumn<bool>("tls");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("caFile"); // in the broker's folder
    QTest::addColumn<QString>("password"); // the broker's user "wind" has "secret"
    QTest::addColumn<int>("kind"); // -1: connected

    const int credentials = int(MqttFailure::Kind::Credentials);
    const int certificate = int(MqttFailure::Kind::Certificate);
    QTest::newRow("password") << false << "127.0.0.1"
                              << ""
                              << "secret" << -1;
    QTest::newRow("wrong password") << false << "127.0.0.1"
                                    << ""
                                    << "guess" << credentials;
    QTest::newRow("TLS, the broker's CA") << true << "localhost"
                                          << "ca.pem"
                                          << "" << -1;
    QTest::newRow("TLS, another CA") << true << "localhost"
                                     << "other-ca.pem"
                                     << "" << certificate;
    QTest::newRow("TLS, host not named in the certificate") << true << "127.0.0.1"
                                                            << "ca.pem"
                                                            << "" << certificate;
}

void tst_MqttClient::connectionOutcomes()
{
    QFETCH(bool, tls);
    QFETCH(QString, host);
    QFETCH(QString, caFile);
    QFETCH(QString, password);
    QFETCH(int, kind);
    MqttBroker broker(tls, tls ? QString() : "wind", "secret");
    QVERIFY(broker.start());
    MqttConnection connection = connectionTo(broker, host);
    connection.caFile = tls ? broker.folder.filePath(caFile) : QString();
    connection.username = tls ? QString() : QStringLiteral("wind");
    connection.password = password.toUtf8();
    MqttClient client(connection);
    QSignalSpy failures(&client, &MqttClient::connectionFailed);
    client.start();
    if (kind >= 0) {
        QTRY_COMPARE(failures.size(), 1);
        QCOMPARE(int(failureAt(failures, 0).kind), kind);
        // A refused password or certificate will not mend itself soon.
        QCOMPARE(failureAt(failures, 0).retryInSeconds, MqttClient::LongestRetrySeconds);
        QVERIFY(!client.isConnected());
        return;
    }
    // What is published arrives, read by a client that checks the
    // certificate on its own.
    MqttSubscriber reader;
    QVERIFY(reader.start(
        broker, "t/#",
        tls ? QStringList{"-h", "localhost", "--cafile", broker.folder.filePath("ca.pem")}
            : QStringList{"-u", "wind", "-P", "secret"}));
    QTRY_VERIFY(client.isConnected());
    client.publish("t/state", "through");
    QTRY_COMPARE(reader.payloadsOn("t/state"), QList<QByteArray>{"through"});
    QVERIFY(failures.isEmpty());
}

void tst_MqttClient::attemptsBackOffFromOneSecond()
{
    MqttBroker nothingListening;
    MqttClient client(connectionTo(nothingListening));
    QSignalSpy failures(&client, &MqttClient::connectionFailed);
    client.start();
    QTRY_VERIFY_WITH_TIMEOUT(failures.size() >= 4, 10000);
    QList<int> delays;
    for (int i = 0; i < 4; ++i)
        delays << failureAt(failures, i).retryInSeconds;
    QCOMPARE(delays, (QList<int>{1, 2, 4, 8}));
    QCOMPARE(int(failureAt(failures, 0).kind), int(MqttFailure::Kind::Unreachable));
}

// A broker that has stopped answering holds the client before its CONNACK:
// the queue keeps the newest 100, which go out in order once it answers.
void tst_MqttClient::queueKeepsTheNewestWhileWaiting()
{
    MqttBroker broker;
    QVERIFY(broker.start());
    MqttSubscriber reader;
    QVERIFY(reader.start(broker, "t/state"));
    broker.signal(SIGSTOP);
    MqttClient client(connectionTo(broker));
    client.start();
    for (int i = 1; i <= 150; ++i)
        client.publish("t/state", QByteArray::number(i));
    QCOMPARE(client.droppedCount(), 50);
    broker.signal(SIGCONT);
    QTRY_COMPARE(reader.messages.size(), MqttClient::MaxQueued);
    for (int i = 0; i < MqttClient::MaxQueued; ++i)
        QCOMPARE(reader.messages[i].payload.toInt(), 51 + i);
}

QTEST_GUILESS_MAIN(tst_MqttClient)
#include "tst_mqttclient.moc"
