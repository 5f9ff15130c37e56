#include "nmeaserver.h"

#include "core/apperror.h"
#include "core/nmeasettings.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

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

} // namespace

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
    for (QTcpSocket *client : std::as_const(m_clients)) {
        client->abort();
        client->deleteLater();
    }
    m_clients.clear();
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

    // Dropping a client changes the list, and a flush can report an error
    // (and so drop a client) before it returns.
    const QList<QTcpSocket *> clients = m_clients;
    for (QTcpSocket *client : clients) {
        if (!m_clients.contains(client))
            continue;
        if (client->bytesToWrite() + sentence.size() > MaxQueuedBytes
            || client->write(sentence) != sentence.size()) {
            dropClient(client);
            continue;
        }
        // Straight to the system rather than at the next turn of the event
        // loop: the sentence leaves now, and the queue above holds only what
        // the client has not taken.
        client->flush();
    }
}

void NmeaServer::openTcp(const QString &bindAddress, quint16 port)
{
    const QHostAddress address = hostAddress(bindAddress);
    m_tcpServer = new QTcpServer(this);
    connect(m_tcpServer, &QTcpServer::newConnection, this, &NmeaServer::acceptClients);
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

void NmeaServer::acceptClients()
{
    while (QTcpSocket *client = m_tcpServer->nextPendingConnection()) {
        if (m_clients.size() >= MaxClients) {
            client->close();
            client->deleteLater();
            continue;
        }
        addClient(client);
    }
}

void NmeaServer::addClient(QTcpSocket *client)
{
    // Without this the second sentence of a sample waits for the client's
    // acknowledgement of the first, which a delayed acknowledgement can hold
    // back by tens of milliseconds.
    client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    client->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, KernelSendBufferBytes);
    client->setReadBufferSize(MaxInputBytes);
    connect(client, &QTcpSocket::readyRead, this,
            [client] { client->skip(client->bytesAvailable()); });
    connect(client, &QTcpSocket::disconnected, this, [this, client] { dropClient(client); });
    connect(client, &QTcpSocket::errorOccurred, this, [this, client] { dropClient(client); });
    m_clients.append(client);
}

void NmeaServer::dropClient(QTcpSocket *client)
{
    // Reached twice for one client (an error, then the disconnection it
    // causes); only the first counts.
    if (!m_clients.removeOne(client))
        return;
    client->disconnect(this);
    client->abort();
    client->deleteLater();
}
