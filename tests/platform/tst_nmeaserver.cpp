// SPDX-License-Identifier: MIT
// The sentence server with real sockets on the loopback interface: what
// readers receive, and what misbehaving clients cannot do to it.

#include "core/apperror.h"
#include "core/nmeasettings.h"
#include "platform/nmeaserver.h"

#include <QDir>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUdpSocket>

#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QHostAddress Loopback(QHostAddress::LocalHost);

int openFileCount()
{
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::System | QDir::NoDotAndDotDot)
                   .size());
}

NmeaConfig tcpConfig()
{
    NmeaConfig config;
    config.tcpPort = 0;
    config.bindAddress = QStringLiteral("127.0.0.1");
    return config;
}

QByteArray numberedSentence(int number)
{
    return "$WIMWV," + QByteArray::number(number).rightJustified(5, '0') + ",R,1.0,N,A*00\r\n";
}

// A reader that the event loop fills, as a chartplotter would read.
struct Reader
{
    explicit Reader(quint16 port)
    {
        socket.connectToHost(Loopback, port);
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { received += socket.readAll(); });
    }
    QTcpSocket socket;
    QByteArray received;
};

// A client on a plain system socket, so that no library reads or closes on
// its behalf: one that never reads, or one that ends its input and goes on
// reading, as nc -N and socat -u do (QTcpSocket cannot half-close). Its
// receive buffer is small, so that one that never reads is full soon.
class PlainClient
{
public:
    explicit PlainClient(quint16 port)
        : m_fd(::socket(AF_INET, SOCK_STREAM, 0))
    {
        const int small = 4096;
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    }
    ~PlainClient() { ::close(m_fd); }
    bool isConnected() const { return m_connected; }
    bool endInput() { return ::shutdown(m_fd, SHUT_WR) == 0; }
    // What arrives until size bytes are there or 5 s pass without any.
    QByteArray receive(qsizetype size)
    {
        QByteArray received;
        pollfd ready{m_fd, POLLIN, 0};
        char buffer[4096];
        ssize_t got = 0;
        while (received.size() < size && ::poll(&ready, 1, 5000) == 1
               && (got = ::recv(m_fd, buffer, sizeof buffer, 0)) > 0)
            received.append(buffer, got);
        return received;
    }

private:
    int m_fd;
    bool m_connected = false;
};

} // namespace

class tst_NmeaServer : public QObject
{
    Q_OBJECT

private slots:
    void outputOffOpensNothing();
    void deliversInOrderOverTcpAndUdp();
    void turnsAwayTheThirtyThirdClient();
    void dropsAClientThatNeverReads();
    void ignoresWhatClientsSend();
    void keepsSendingToAClientThatEndedItsInput();
    void clientsComingAndGoingLeakNothing();
    void openFailureIsClearAndLeavesNothingOpen_data();
    void openFailureIsClearAndLeavesNothingOpen();
};

void tst_NmeaServer::outputOffOpensNothing()
{
    const int filesBefore = openFileCount();
    NmeaServer server;
    server.open(NmeaConfig());
    QVERIFY(!server.isOpen());
    server.send(numberedSentence(1));
    QCOMPARE(openFileCount(), filesBefore);
}

void tst_NmeaServer::deliversInOrderOverTcpAndUdp()
{
    QUdpSocket listener;
    QVERIFY(listener.bind(Loopback, 0));
    NmeaConfig config = tcpConfig();
    config.udpTarget = NmeaEndpoint{QStringLiteral("127.0.0.1"), listener.localPort()};
    NmeaServer server;
    server.open(config);
    Reader reader(server.tcpPort());
    QTRY_COMPARE(server.clientCount(), 1);

    QByteArray sent;
    QList<QByteArray> datagrams;
    const auto receiveDatagrams = [&] {
        while (listener.hasPendingDatagrams())
            datagrams << listener.receiveDatagram().data();
        return datagrams.size();
    };
    for (int i = 0; i < 200; ++i) {
        server.send(numberedSentence(i));
        sent += numberedSentence(i);
        if (i % 10 == 0) {
            QCoreApplication::processEvents();
            receiveDatagrams();
        }
    }
    QTRY_COMPARE(reader.received.size(), sent.size());
    QCOMPARE(reader.received, sent);
    QTRY_COMPARE(receiveDatagrams(), qsizetype(200));
    for (int i = 0; i < 200; ++i)
        QCOMPARE(datagrams.at(i), numberedSentence(i));
}

void tst_NmeaServer::turnsAwayTheThirtyThirdClient()
{
    NmeaServer server;
    server.open(tcpConfig());
    std::vector<std::unique_ptr<Reader>> readers;
    for (int i = 0; i <= NmeaServer::MaxClients; ++i)
        readers.push_back(std::make_unique<Reader>(server.tcpPort()));

    const auto connectedReaders = [&readers] {
        return std::count_if(readers.begin(), readers.end(), [](const auto &reader) {
            return reader->socket.state() == QAbstractSocket::ConnectedState;
        });
    };
    QTRY_COMPARE(server.clientCount(), NmeaServer::MaxClients);
    QTRY_COMPARE(connectedReaders(), NmeaServer::MaxClients);

    server.send(numberedSentence(1));
    for (const auto &reader : readers) {
        if (reader->socket.state() == QAbstractSocket::ConnectedState)
            QTRY_COMPARE(reader->received, numberedSentence(1));
        else
            QVERIFY(reader->received.isEmpty());
    }
}

void tst_NmeaServer::dropsAClientThatNeverReads()
{
    NmeaServer server;
    server.open(tcpConfig());
    Reader reader(server.tcpPort());
    PlainClient sleeper(server.tcpPort());
    QVERIFY(sleeper.isConnected());
    QTRY_COMPARE(server.clientCount(), 2);

    // Large pieces fill the sleeper's buffers quickly; the bound on the
    // loop stops the test if it is never dropped.
    const QByteArray piece(1000, 'x');
    qint64 sent = 0;
    for (int i = 0; i < 20000 && server.clientCount() == 2; ++i) {
        server.send(piece);
        sent += piece.size();
        if (i % 8 == 0)
            QCoreApplication::processEvents();
    }
    QCOMPARE(server.clientCount(), 1);
    server.send(numberedSentence(1));
    sent += numberedSentence(1).size();
    QTRY_COMPARE(reader.received.size(), sent);
    QVERIFY(reader.received.endsWith(numberedSentence(1)));
}

// Whatever a client sends is read and thrown away: the server neither
// stalls its sender nor answers, and keeps delivering to it.
void tst_NmeaServer::ignoresWhatClientsSend()
{
    NmeaServer server;
    server.open(tcpConfig());
    Reader talker(server.tcpPort());
    QTRY_COMPARE(server.clientCount(), 1);

    QByteArray garbage;
    for (int i = 0; i < 1 << 20; ++i)
        garbage += char(quint32(i) * 7919u % 256u);
    garbage += "\r\n$PSTOP*00\r\nquit\r\n";
    for (int i = 0; i < 8; ++i)
        talker.socket.write(garbage);
    server.send(numberedSentence(1));
    // The talker can finish only if the server keeps reading past its
    // input bound.
    QTRY_COMPARE_WITH_TIMEOUT(talker.socket.bytesToWrite(), 0, 20000);
    server.send(numberedSentence(2));
    QTRY_COMPARE(talker.received, numberedSentence(1) + numberedSentence(2));
    QCOMPARE(server.clientCount(), 1);
}

// A client that ends its input may still read; one that has gone as well
// is let go at a failed write (clientsComingAndGoingLeakNothing).
void tst_NmeaServer::keepsSendingToAClientThatEndedItsInput()
{
    NmeaServer server;
    server.open(tcpConfig());
    PlainClient listener(server.tcpPort());
    QVERIFY(listener.isConnected() && listener.endInput());
    QTRY_COMPARE(server.clientCount(), 1);
    // Time for the server to see the end of input, which it once took for
    // the end of the client.
    QTest::qWait(100);

    QByteArray sent;
    for (int i = 0; i < 3; ++i) {
        server.send(numberedSentence(i));
        sent += numberedSentence(i);
    }
    QCOMPARE(listener.receive(sent.size()), sent);
    QCOMPARE(server.clientCount(), 1);
}

void tst_NmeaServer::clientsComingAndGoingLeakNothing()
{
    NmeaServer server;
    server.open(tcpConfig());
    Reader steady(server.tcpPort());
    QTRY_COMPARE(server.clientCount(), 1);
    const int filesBefore = openFileCount();

    QByteArray sent;
    for (int i = 0; i < 40; ++i) {
        auto visitor = std::make_unique<Reader>(server.tcpPort());
        QVERIFY(visitor->socket.waitForConnected(5000));
        server.send(numberedSentence(i));
        sent += numberedSentence(i);
        // Half leave politely, half vanish; some before the server has
        // even seen them.
        if (i % 2)
            visitor->socket.disconnectFromHost();
        else
            visitor->socket.abort();
        if (i % 3)
            QCoreApplication::processEvents();
    }
    // A client that leaves first ends its input, as one that only listens
    // does; the server lets it go when a sentence to it fails.
    for (int i = 40; i < 80 && server.clientCount() > 1; ++i) {
        server.send(numberedSentence(i));
        sent += numberedSentence(i);
        QTest::qWait(10);
    }
    QCOMPARE(server.clientCount(), 1);
    QTRY_COMPARE(steady.received, sent);
    // The server's notifiers go with deferred deletion, which the wait runs.
    QTRY_COMPARE(openFileCount(), filesBefore);
}

void tst_NmeaServer::openFailureIsClearAndLeavesNothingOpen_data()
{
    QTest::addColumn<QString>("bindAddress");
    QTest::addColumn<bool>("portTaken");
    QTest::addColumn<QString>("message");

    QTest::newRow("port used by another program") << "127.0.0.1" << true << "already uses it";
    QTest::newRow("address of another computer")
        << "192.0.2.1" << false << "192.0.2.1 is not an address of this computer";
}

void tst_NmeaServer::openFailureIsClearAndLeavesNothingOpen()
{
    QFETCH(QString, bindAddress);
    QFETCH(bool, portTaken);
    QFETCH(QString, message);

    QTcpServer otherProgram;
    QVERIFY(otherProgram.listen(Loopback, 0));
    NmeaConfig config;
    config.bindAddress = bindAddress;
    config.tcpPort = portTaken ? otherProgram.serverPort() : 0;
    config.udpTarget = NmeaEndpoint{QStringLiteral("127.0.0.1"), 9};

    const int filesBefore = openFileCount();
    NmeaServer server;
    try {
        server.open(config);
        QFAIL("opening succeeded");
    } catch (const AppError &error) {
        QVERIFY2(error.description().contains(message), qPrintable(error.description()));
        QVERIFY2(error.description().contains(QString::number(*config.tcpPort)),
                 qPrintable(error.description()));
    }
    QVERIFY(!server.isOpen());
    QTRY_COMPARE(openFileCount(), filesBefore);
}

QTEST_GUILESS_MAIN(tst_NmeaServer)
#include "tst_nmeaserver.moc"
