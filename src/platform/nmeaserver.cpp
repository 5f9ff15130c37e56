// SPDX-License-Identifier: MIT
#include "nmeaserver.h"

#include "core/apperror.h"
#include "core/logcategories.h"
#include "core/nmeasettings.h"

#include <QSocketNotifier>
#include <QTcpServer>
#include <QUdpSocket>

#include <cerrno>
#include <functional>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Enough for hundreds of sentences: a client that keeps up never has more
// than a few in flight, and one that stops costs the system little before
// the queue above it fills and it is dropped.
constexpr int KernelSendBufferBytes = 16 * 1024;

[[noreturn]] void raise(const QString &description)
{
    throw AppError(AppError::Kind::NetworkError, description);
}

QHostAddress hostAddress(const QString &text)
{
    QHostAddress address;
    // The settings reader has checked the text already; this guards a
    // configuration built some other way.
    if (!address.setAddress(text))
        raise(QStringLiteral("%1 is not a numeric IP address.").arg(text));
    return address;
}

QString listenFailure(const QTcpServer &server, const QString &bindAddress, quint16 port)
{
    const QString where = QStringLiteral("TCP port %1 on %2").arg(port).arg(bindAddress);
    switch (server.serverError()) {
    case QAbstractSocket::AddressInUseError:
        return QStringLiteral("Cannot share the wind on %1: another program already uses it.")
            .arg(where);
    case QAbstractSocket::SocketAccessError:
        return QStringLiteral("Cannot share the wind on %1: no permission (ports below 1024 "
                              "need administrator rights).")
            .arg(where);
    case QAbstractSocket::SocketAddressNotAvailableError:
        return QStringLiteral("Cannot share the wind on %1: %2 is not an address of this "
                              "computer.")
            .arg(where, bindAddress);
    default:
        return QStringLiteral("Cannot share the wind on %1: %2.").arg(where, server.errorString());
    }
}

// Hands each accepted connection over as a bare descriptor. A QTcpSocket
// takes the end of a client's input for the end of the client and closes
// it, while a program that only listens (nc -N, socat -u, many loggers)
// ends its input at once and goes on reading.
class DescriptorServer : public QTcpServer
{
public:
    using QTcpServer::QTcpServer;
    std::function<void(qintptr)> accepted;

protected:
    void incomingConnection(qintptr descriptor) override { accepted(descriptor); }
};

// What one write without waiting took: every byte, some or none (the rest
// waits for room), or -1 for a failure that ends the client (it reset or
// closed the connection). MSG_NOSIGNAL: a client that has gone must not
// end the application with SIGPIPE.
qint64 writeSome(int descriptor, const char *data, qint64 size)
{
    while (true) {
        const ssize_t written = ::send(descriptor, data, size_t(size), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (written >= 0)
            return written;
        if (errno != EINTR)
            return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
    }
}

} // namespace

struct NmeaServer::Client
{
    int descriptor = -1;
    // What the client sends, read and thrown away; off once its input ends.
    QSocketNotifier *input = nullptr;
    // On while the queue waits for room in the system's buffer.
    QSocketNotifier *output = nullptr;
    QByteArray queue;
};

NmeaServer::NmeaServer(QObject *parent)
    : QObject(parent)
{ }

NmeaServer::~NmeaServer()
{
    close();
}

void NmeaServer::open(const NmeaConfig &config)
{
    close();
    try {
        if (config.tcpPort)
            openTcp(config.bindAddress, *config.tcpPort);
        if (config.udpTarget)
            openUdp(*config.udpTarget);
    } catch (...) {
        close();
        throw;
    }
}

void NmeaServer::close()
{
    while (!m_clients.empty())
        dropClient(*m_clients.back());
    // Closed now so that the port is free at once; the objects go later,
    // since this may run inside one of their own signals.
    if (m_tcpServer) {
        m_tcpServer->close();
        m_tcpServer->deleteLater();
        m_tcpServer = nullptr;
    }
    if (m_udpSocket) {
        m_udpSocket->abort();
        m_udpSocket->deleteLater();
        m_udpSocket = nullptr;
    }
}

quint16 NmeaServer::tcpPort() const
{
    return m_tcpServer ? m_tcpServer->serverPort() : 0;
}

void NmeaServer::send(const QByteArray &sentence)
{
    if (m_udpSocket)
        m_udpSocket->writeDatagram(sentence, m_udpAddress, m_udpPort);

    std::vector<Client *> failed;
    for (const std::unique_ptr<Client> &client : m_clients) {
        if (!deliver(*client, sentence))
            failed.push_back(client.get());
    }
    for (Client *client : failed)
        dropClient(*client);
}

void NmeaServer::openTcp(const QString &bindAddress, quint16 port)
{
    const QHostAddress address = hostAddress(bindAddress);
    auto *server = new DescriptorServer(this);
    server->accepted = [this](qintptr descriptor) {
        addClient(descriptor);
    };
    m_tcpServer = server;
    if (!m_tcpServer->listen(address, port))
        raise(listenFailure(*m_tcpServer, bindAddress, port));
}

void NmeaServer::openUdp(const NmeaEndpoint &target)
{
    m_udpAddress = hostAddress(target.address);
    m_udpPort = target.port;
    m_udpSocket = new QUdpSocket(this);
    // Bound now, not by the first datagram, so that a missing IPv6 stack
    // shows as an error at start.
    const bool isIpv6 = m_udpAddress.protocol() == QAbstractSocket::IPv6Protocol;
    if (!m_udpSocket->bind(isIpv6 ? QHostAddress::AnyIPv6 : QHostAddress::AnyIPv4, 0))
        raise(QStringLiteral("Cannot send the wind to %1 port %2 over UDP: %3.")
                  .arg(target.address)
                  .arg(target.port)
                  .arg(m_udpSocket->errorString()));
}

void NmeaServer::addClient(qintptr descriptor)
{
    const int fd = int(descriptor);
    // Closed at once, so that the client learns of the refusal instead of
    // waiting in the system's backlog.
    if (m_clients.size() >= size_t(MaxClients)) {
        qCDebug(windNmea) << "refused a reader: already" << MaxClients;
        ::close(fd);
        return;
    }
    qCDebug(windNmea) << "a reader connected; now" << m_clients.size() + 1;
    // Without TCP_NODELAY the second sentence of a sample waits for the
    // client's acknowledgement of the first, which a delayed acknowledgement
    // can hold back by tens of milliseconds.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &KernelSendBufferBytes, sizeof KernelSendBufferBytes);

    auto client = std::make_unique<Client>();
    Client *added = client.get();
    added->descriptor = fd;
    added->input = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    added->output = new QSocketNotifier(descriptor, QSocketNotifier::Write, this);
    added->output->setEnabled(false);
    connect(added->input, &QSocketNotifier::activated, this, [this, added] { readInput(*added); });
    connect(added->output, &QSocketNotifier::activated, this,
            [this, added] { writeQueue(*added); });
    m_clients.push_back(std::move(client));
}

// False when the client must go: the write failed, or what waits for it
// would pass MaxQueuedBytes.
bool NmeaServer::deliver(Client &client, const QByteArray &bytes)
{
    // Straight to the system while nothing waits: the sentence leaves now,
    // and the queue holds only what the client has not taken.
    qint64 written = 0;
    if (client.queue.isEmpty()) {
        written = writeSome(client.descriptor, bytes.constData(), bytes.size());
        if (written < 0)
            return false;
        if (written == bytes.size())
            return true;
    }
    if (client.queue.size() + bytes.size() - written > MaxQueuedBytes)
        return false;
    client.queue.append(bytes.constData() + written, bytes.size() - written);
    client.output->setEnabled(true);
    return true;
}

void NmeaServer::readInput(Client &client)
{
    char discarded[MaxInputBytes];
    const ssize_t got = ::recv(client.descriptor, discarded, sizeof discarded, MSG_DONTWAIT);
    if (got > 0)
        return;
    if (got == 0) {
        // The end of the client's input, not of the client: it may still
        // read. Whether it does shows at the next write. The notifier goes
        // off, since an ended input stays readable for ever.
        client.input->setEnabled(false);
        return;
    }
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
        dropClient(client);
}

void NmeaServer::writeQueue(Client &client)
{
    const qint64 written
        = writeSome(client.descriptor, client.queue.constData(), client.queue.size());
    if (written < 0) {
        dropClient(client);
        return;
    }
    client.queue.remove(0, written);
    client.output->setEnabled(!client.queue.isEmpty());
}

void NmeaServer::dropClient(Client &client)
{
    // The notifiers go later, since this may run inside one of their own
    // signals; switched off, they no longer watch the descriptor.
    for (QSocketNotifier *notifier : {client.input, client.output}) {
        notifier->setEnabled(false);
        notifier->disconnect(this);
        notifier->deleteLater();
    }
    ::close(client.descriptor);
    qCDebug(windNmea) << "a reader left; now" << m_clients.size() - 1;
    m_clients.erase(std::find_if(m_clients.begin(), m_clients.end(),
                                 [&client](const auto &held) { return held.get() == &client; }));
}
