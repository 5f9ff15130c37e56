// SPDX-License-Identifier: MIT
// The TCP and UDP inputs on real sockets of the loopback interface: a server
// the test starts, stops and starts again; datagrams the test sends.

#include "core/apperror.h"
#include "platform/tcplinetransport.h"
#include "platform/udplinetransport.h"

#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUdpSocket>

namespace {

const QByteArray Sentence = "$IIMWV,045.0,R,12.5,N,A*0A\r\n";

// Short waits, so that a table of outages runs in a second.
constexpr int FirstRetryMs = 40;
constexpr int LongestRetryMs = 160;

quint16 freeTcpPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// What a transport signalled, in order: "restarted", "data <bytes>" for
// what one connection delivered, "lost <delay>" ("lost 0.04 s"), "failed".
class Recorder
{
public:
    explicit Recorder(LineTransport &transport)
    {
        QObject::connect(&transport, &LineTransport::received,
                         [this](const QByteArray &bytes) { m_pending += bytes; });
        QObject::connect(&transport, &LineTransport::restarted, [this] { add("restarted"); });
        QObject::connect(&transport, &LineTransport::lost, [this](const QString &reason) {
            // "retrying in 0.04 s: Connection refused": the system words the
            // cause; the delay is the transport's.
            add(QStringLiteral("lost ") + reason.section(u':', 0, 0).remove("retrying in "));
        });
        QObject::connect(&transport, &LineTransport::failed, [this] { add("failed"); });
    }

    QStringList log()
    {
        flush();
        return m_log;
    }
    int count(const QString &prefix)
    {
        return int(log().filter(QRegularExpression('^' + prefix)).size());
    }

private:
    void add(const QString &entry)
    {
        flush();
        m_log << entry;
    }
    void flush()
    {
        if (!m_pending.isEmpty())
            m_log << QStringLiteral("data ") + QString::fromLatin1(m_pending.trimmed());
        m_pending.clear();
    }

    QStringList m_log;
    QByteArray m_pending;
};

} // namespace

class tst_LineTransports : public QObject
{
    Q_OBJECT

private slots:
    void tcpRetries_data();
    void tcpRetries();
    void tcpSilentServerStaysConnected();
    void tcpCloseStopsRetrying();
    void tcpDeliversEverythingInOrder();
    void udpDatagrams_data();
    void udpDatagrams();
    void udpPortInUse();
};

// What the server does with the first connections, and what the transport
// reports: the retry delay doubles up to its limit, and starts over after a
// connection that delivered data.
void tst_LineTransports::tcpRetries_data()
{
    QTest::addColumn<QString>("server"); // "absent", "closes" or "sends and closes"
    QTest::addColumn<QStringList>("log");

    const QString data = QStringLiteral("data ") + QString::fromLatin1(Sentence.trimmed());
    QTest::newRow("not there yet, then started")
        << "absent"
        << QStringList{"lost 0.04 s", "lost 0.08 s", "lost 0.16 s", "lost 0.16 s", "restarted"};
    QTest::newRow("closes every connection at once")
        << "closes"
        << QStringList{"restarted",   "lost 0.04 s", "restarted",   "lost 0.08 s", "restarted",
                       "lost 0.16 s", "restarted",   "lost 0.16 s", "restarted"};
    QTest::newRow("restarts after each sentence")
        << "sends and closes"
        << QStringList{"restarted",   data,          "lost 0.04 s", "restarted",   data,
                       "lost 0.04 s", "restarted",   data,          "lost 0.04 s", "restarted",
                       data,          "lost 0.04 s", "restarted"};
}

void tst_LineTransports::tcpRetries()
{
    QFETCH(QString, server);
    QFETCH(QStringList, log);

    const quint16 port = freeTcpPort();
    QTcpServer listener;
    int connections = 0;
    QObject::connect(&listener, &QTcpServer::newConnection, [&] {
        while (QTcpSocket *client = listener.nextPendingConnection()) {
            // The fifth connection stays, so that the log ends there.
            if (server == u"absent" || ++connections > 4)
                continue;
            if (server == u"sends and closes")
                client->write(Sentence);
            client->disconnectFromHost();
        }
    });
    if (server != u"absent")
        QVERIFY(listener.listen(QHostAddress::LocalHost, port));

    TcpLineTransport transport(IpEndpoint{QStringLiteral("127.0.0.1"), port});
    transport.setDelays(FirstRetryMs, LongestRetryMs, 5000);
    Recorder recorder(transport);
    transport.open();
    QVERIFY(transport.isOpen());

    if (server == u"absent") {
        QTRY_COMPARE_WITH_TIMEOUT(recorder.count("lost"), 4, 5000);
        QVERIFY(transport.state().startsWith("retrying in 0.16 s: "));
        QVERIFY(listener.listen(QHostAddress::LocalHost, port));
    }
    QTRY_COMPARE_WITH_TIMEOUT(recorder.count("restarted"), log.count("restarted"), 5000);
    QCOMPARE(recorder.log(), log);
    QCOMPARE(transport.state(), QStringLiteral("connected"));
}

// Silence is not an outage: the connection stays, well past the time an
// unanswered connection attempt is given up.
void tst_LineTransports::tcpSilentServerStaysConnected()
{
    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost));
    TcpLineTransport transport(IpEndpoint{QStringLiteral("127.0.0.1"), listener.serverPort()});
    transport.setDelays(FirstRetryMs, LongestRetryMs, 50);
    Recorder recorder(transport);
    transport.open();
    QTRY_COMPARE(recorder.log(), QStringList{"restarted"});
    QTest::qWait(300);
    QCOMPARE(recorder.log(), QStringList{"restarted"});
}

void tst_LineTransports::tcpCloseStopsRetrying()
{
    const quint16 port = freeTcpPort();
    TcpLineTransport transport(IpEndpoint{QStringLiteral("127.0.0.1"), port});
    transport.setDelays(FirstRetryMs, LongestRetryMs, 5000);
    Recorder recorder(transport);
    transport.open();
    QTRY_COMPARE(recorder.count("lost"), 1);
    transport.close();
    QVERIFY(!transport.isOpen());
    QCOMPARE(transport.state(), QString());

    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost, port));
    QTest::qWait(4 * FirstRetryMs);
    QVERIFY(!listener.hasPendingConnections());
    QCOMPARE(recorder.log(), QStringList{"lost 0.04 s"});
}

// A multiplexer's stream, written in pieces unlike its lines, arrives
// complete and in order.
void tst_LineTransports::tcpDeliversEverythingInOrder()
{
    QByteArray stream;
    for (int i = 0; i < 5000; ++i)
        stream += "$WIXDR,C," + QByteArray::number(i) + ",C,AIRTEMP*00\r\n" + Sentence;

    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost));
    QObject::connect(&listener, &QTcpServer::newConnection, [&] {
        QTcpSocket *client = listener.nextPendingConnection();
        for (qsizetype at = 0; at < stream.size(); at += 1000)
            client->write(stream.mid(at, 1000));
    });
    TcpLineTransport transport(IpEndpoint{QStringLiteral("127.0.0.1"), listener.serverPort()});
    QByteArray received;
    QObject::connect(&transport, &LineTransport::received,
                     [&](const QByteArray &bytes) { received += bytes; });
    transport.open();
    QTRY_COMPARE_WITH_TIMEOUT(received.size(), stream.size(), 10000);
    QVERIFY(received == stream);
}

// Datagrams sent to the port, and what the transport delivers for each:
// the datagram whole, ending a line.
void tst_LineTransports::udpDatagrams_data()
{
    QTest::addColumn<QString>("to");
    QTest::addColumn<QByteArrayList>("datagrams");
    QTest::addColumn<QByteArrayList>("delivered");

    const QByteArray bare = Sentence.trimmed();
    const QByteArray several = "$WIXDR,C,12.3,C,AIRTEMP*00\r\n" + Sentence + Sentence;
    QTest::newRow("one sentence without a line end")
        << "127.0.0.1" << QByteArrayList{bare} << QByteArrayList{bare + "\r\n"};
    QTest::newRow("several sentences in one datagram")
        << "127.0.0.1" << QByteArrayList{several, bare} << QByteArrayList{several, bare + "\r\n"};
    QTest::newRow("ending with CR")
        << "127.0.0.1" << QByteArrayList{bare + '\r'} << QByteArrayList{bare + '\r'};
    QTest::newRow("an empty datagram is nothing")
        << "127.0.0.1" << QByteArrayList{QByteArray(), Sentence} << QByteArrayList{Sentence};
    QTest::newRow("over IPv6") << "::1" << QByteArrayList{Sentence} << QByteArrayList{Sentence};
}

void tst_LineTransports::udpDatagrams()
{
    QFETCH(QString, to);
    QFETCH(QByteArrayList, datagrams);
    QFETCH(QByteArrayList, delivered);

    QUdpSocket sender;
    if (!sender.bind(QHostAddress(to), 0))
        QSKIP("no such loopback address on this machine");
    UdpLineTransport transport(0);
    transport.open();
    QByteArrayList received;
    QObject::connect(&transport, &LineTransport::received,
                     [&](const QByteArray &bytes) { received << bytes; });
    for (const QByteArray &datagram : std::as_const(datagrams))
        sender.writeDatagram(datagram, QHostAddress(to), transport.boundPort());
    QTRY_COMPARE(received.size(), delivered.size());
    QCOMPARE(received, delivered);
}

// The port held by a program that does not share it: a message that names
// the port and the cause, and nothing left open.
void tst_LineTransports::udpPortInUse()
{
    QUdpSocket holder;
    QVERIFY(holder.bind(QHostAddress::Any, 0));
    UdpLineTransport transport(holder.localPort());
    try {
        transport.open();
        QFAIL("a port in use was bound");
    } catch (const AppError &error) {
        QCOMPARE(error.kind(), AppError::Kind::NetworkError);
        QVERIFY2(error.description().contains(
                     QStringLiteral("UDP port %1: another program").arg(holder.localPort())),
                 qPrintable(error.description()));
    }
    QVERIFY(!transport.isOpen());
}

QTEST_GUILESS_MAIN(tst_LineTransports)
#include "tst_linetransports.moc"
