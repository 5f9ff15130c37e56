// SPDX-License-Identifier: MIT
// The TCP and UDP inputs on real sockets of the loopback interface: a server
// the test starts, stops and starts again; datagrams the test sends.

#include "core/apperror.h"
#include "core/nmeawindreader.h"
#include "platform/tcplinetransport.h"
#include "platform/udplinetransport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

namespace {

const QByteArray Sentence = "$IIMWV,045.0,R,12.5,N,A*0A\r\n";

// The application's waits, 50 times shorter, so that a table of outages runs
// in seconds and a change to them shows in its logs.
constexpr int Faster = 50;
constexpr int FirstRetryMs = TcpLineTransport::FirstRetryMs / Faster;
constexpr int LongestRetryMs = TcpLineTransport::LongestRetryMs / Faster;

quint16 freeTcpPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// What a transport signalled, in order: "restarted", "data" for what one
// connection delivered, "lost 0.04 s" (the delay before the next try; the
// cause after it is the system's wording), "failed".
void record(LineTransport &transport, QStringList &log)
{
    QObject::connect(&transport, &LineTransport::received, [&log] {
        if (log.isEmpty() || log.last() != u"data")
            log << QStringLiteral("data");
    });
    QObject::connect(&transport, &LineTransport::restarted, [&log] { log << "restarted"; });
    QObject::connect(&transport, &LineTransport::lost, [&log](const QString &reason) {
        log << QStringLiteral("lost ") + reason.section(u':', 0, 0).remove("retrying in ");
    });
    QObject::connect(&transport, &LineTransport::failed, [&log] { log << "failed"; });
}

} // namespace

class tst_LineTransports : public QObject
{
    Q_OBJECT

private slots:
    void tcpRetries_data();
    void tcpRetries();
    void tcpSilentServerStaysConnected();
    void tcpCloseStopsRetrying();
    void realGpsdRelaysTheWind();
    void udpDatagrams_data();
    void udpDatagrams();
    void udpPortInUse();
};

// What the server does with the first connections, and what the transport
// reports: tries stay the first delay apart while the outage is young, then
// the delay doubles up to its limit; a connection that delivers data ends the
// outage, one that is closed at once does not.
void tst_LineTransports::tcpRetries_data()
{
    QTest::addColumn<QString>("server"); // "absent", "closes" or "sends and closes"
    QTest::addColumn<int>("steadyForMs");
    QTest::addColumn<QString>("log"); // a pattern of the log, each entry ending in a comma

    QTest::newRow("away past the steady spell, then started")
        << "absent" << 200
        << "(lost 0.04 s,){2,}lost 0.08 s,lost 0.16 s,lost 0.32 s,lost 0.6 s,lost 0.6 s,restarted,";
    // About 15 tries in the spell; a late timer only makes them fewer.
    QTest::newRow("the application's steady spell: 2 s apart for 30 s")
        << "absent" << TcpLineTransport::SteadyRetryForMs / Faster
        << "(lost 0.04 s,){9,16}lost 0.08 s,lost 0.16 s,lost 0.32 s,lost 0.6 s,lost 0.6 s,"
           "restarted,";
    QTest::newRow("closes every connection at once, within the spell")
        << "closes" << 60000 << "restarted,(lost 0.04 s,restarted,){4}";
    QTest::newRow("closes every connection at once, past the spell")
        << "closes" << 0
        << "restarted,lost 0.08 s,restarted,lost 0.16 s,restarted,lost 0.32 s,restarted,"
           "lost 0.6 s,restarted,";
    QTest::newRow("restarts after each sentence: each outage starts anew")
        << "sends and closes" << 30 << "restarted,(data,lost 0.04 s,restarted,){4}";
}

void tst_LineTransports::tcpRetries()
{
    QFETCH(QString, server);
    QFETCH(int, steadyForMs);
    QFETCH(QString, log);

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
    transport.setDelays(FirstRetryMs, steadyForMs, LongestRetryMs, 5000);
    QStringList recorded;
    record(transport, recorded);
    transport.open();
    QVERIFY(transport.isOpen());

    if (server == u"absent") {
        QTRY_COMPARE_WITH_TIMEOUT(recorded.count("lost 0.6 s"), 2, 5000);
        QVERIFY(transport.state().startsWith("retrying in 0.6 s: "));
        QVERIFY(listener.listen(QHostAddress::LocalHost, port));
    }
    QTRY_COMPARE_WITH_TIMEOUT(recorded.count("restarted"), server == u"absent" ? 1 : 5, 5000);
    const QString joined = recorded.join(u',') + u',';
    QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(log)).match(joined).hasMatch(),
             qPrintable(joined));
    QCOMPARE(transport.state(), QStringLiteral("connected"));
}

// Silence is not an outage: the connection stays, well past the time an
// unanswered connection attempt is given up.
void tst_LineTransports::tcpSilentServerStaysConnected()
{
    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost));
    TcpLineTransport transport(IpEndpoint{QStringLiteral("127.0.0.1"), listener.serverPort()});
    transport.setDelays(FirstRetryMs, 0, LongestRetryMs, 50);
    QStringList recorded;
    record(transport, recorded);
    transport.open();
    QTRY_COMPARE(recorded, QStringList{"restarted"});
    QTest::qWait(300);
    QCOMPARE(recorded, QStringList{"restarted"});
}

void tst_LineTransports::tcpCloseStopsRetrying()
{
    const quint16 port = freeTcpPort();
    TcpLineTransport transport(IpEndpoint{QStringLiteral("127.0.0.1"), port});
    transport.setDelays(FirstRetryMs, 60000, LongestRetryMs, 5000);
    QStringList recorded;
    record(transport, recorded);
    transport.open();
    QTRY_COMPARE(recorded.size(), 1);
    transport.close();
    QVERIFY(!transport.isOpen());
    QCOMPARE(transport.state(), QString());

    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost, port));
    QTest::qWait(4 * FirstRetryMs);
    QVERIFY(!listener.hasPendingConnections());
    QCOMPARE(recorded, QStringList{"lost 0.04 s"});
}

// Debian's gpsd, started here, reading an instrument server that the test
// plays and relaying its sentences, among JSON reports of its own, once
// asked; restarted, it is asked again on the new connection.
void tst_LineTransports::realGpsdRelaysTheWind()
{
    const QString gpsdProgram
        = QStandardPaths::findExecutable(QStringLiteral("gpsd"), {"/usr/sbin", "/sbin"});
    if (gpsdProgram.isEmpty())
        QSKIP("gpsd is not installed");

    QTcpServer instruments;
    QVERIFY(instruments.listen(QHostAddress::LocalHost));
    QList<QTcpSocket *> feeds;
    QObject::connect(&instruments, &QTcpServer::newConnection, [&] {
        while (QTcpSocket *feed = instruments.nextPendingConnection())
            feeds << feed;
    });
    QTimer sending;
    QObject::connect(&sending, &QTimer::timeout, [&feeds] {
        for (QTcpSocket *feed : feeds)
            feed->write(Sentence);
    });
    sending.start(50);

    const QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const quint16 gpsdPort = freeTcpPort();
    QProcess gpsd;
    gpsd.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // In the foreground, reading at once, never writing to the device, with
    // its control socket and pid file in the test's folder.
    const QStringList arguments{"-N",
                                "-n",
                                "-b",
                                "-S",
                                QString::number(gpsdPort),
                                "-F",
                                folder.filePath("control.sock"),
                                "-P",
                                folder.filePath("gpsd.pid"),
                                QStringLiteral("tcp://127.0.0.1:%1").arg(instruments.serverPort())};

    TcpLineTransport transport(IpEndpoint{QStringLiteral("127.0.0.1"), gpsdPort});
    transport.setDelays(FirstRetryMs, 60000, LongestRetryMs, 5000);
    transport.setGreeting(GpsdWatchRequest);
    NmeaWindReader reader(NmeaWind::Apparent);
    int readings = 0;
    QObject::connect(&transport, &LineTransport::received, [&](const QByteArray &bytes) {
        for (const WindLineEvent &event : reader.feed(bytes))
            readings += event.kind == WindLineEvent::Kind::Reading ? 1 : 1000;
    });
    QObject::connect(&transport, &LineTransport::restarted, [&reader] { reader.reset(); });
    transport.open();
    for (int run = 0; run < 2; ++run) {
        const int before = readings;
        gpsd.start(gpsdProgram, arguments);
        QVERIFY2(gpsd.waitForStarted(), qPrintable(gpsd.errorString()));
        QTRY_VERIFY_WITH_TIMEOUT(readings >= before + 3, 15000);
        gpsd.terminate();
        QVERIFY(gpsd.waitForFinished(5000));
    }
    QVERIFY(readings < 1000);
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
