// SPDX-License-Identifier: MIT
#include "udplinetransport.h"

#include "core/apperror.h"
#include "core/inputsettings.h"
#include "core/logcategories.h"

#include <QUdpSocket>

namespace {

constexpr auto BindMode = QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint;

QString bindFailure(const QUdpSocket &socket, quint16 port)
{
    const QString where = QStringLiteral("UDP port %1").arg(port);
    switch (socket.error()) {
    case QAbstractSocket::AddressInUseError:
        return QStringLiteral("Cannot receive the wind on %1: another program already uses it. "
                              "Choose another port in [INPUT] Udp, or close that program.")
            .arg(where);
    case QAbstractSocket::SocketAccessError:
        return QStringLiteral("Cannot receive the wind on %1: no permission (ports below 1024 "
                              "need administrator rights). Choose a port from 1024 up.")
            .arg(where);
    default:
        return QStringLiteral("Cannot receive the wind on %1: %2.")
            .arg(where, socket.errorString());
    }
}

} // namespace

UdpLineTransport::UdpLineTransport(quint16 port, QObject *parent)
    : LineTransport(parent)
    , m_port(port)
{ }

UdpLineTransport::~UdpLineTransport()
{
    close();
}

void UdpLineTransport::open()
{
    if (m_socket)
        return;
    // Any is IPv6 and IPv4 at once; a system without IPv6 takes IPv4 alone.
    auto *socket = new QUdpSocket(this);
    if (!socket->bind(QHostAddress::Any, m_port, BindMode)) {
        delete socket;
        socket = new QUdpSocket(this);
        if (!socket->bind(QHostAddress::AnyIPv4, m_port, BindMode)) {
            const QString description = bindFailure(*socket, m_port);
            delete socket;
            throw AppError(AppError::Kind::NetworkError, description);
        }
    }
    m_socket = socket;
    connect(m_socket, &QUdpSocket::readyRead, this, &UdpLineTransport::readDatagrams);
    connect(m_socket, &QUdpSocket::errorOccurred, this, &UdpLineTransport::socketError);
}

void UdpLineTransport::close()
{
    if (!m_socket)
        return;
    m_socket->disconnect(this);
    m_socket->abort();
    // This may run inside one of the socket's own signals: it goes later.
    m_socket->deleteLater();
    m_socket = nullptr;
}

QString UdpLineTransport::description() const
{
    return udpInputDescription(m_port);
}

quint16 UdpLineTransport::boundPort() const
{
    return m_socket ? m_socket->localPort() : 0;
}

void UdpLineTransport::readDatagrams()
{
    // Everything waiting, in one go: a flood costs one wake-up per burst,
    // and what the event loop has not taken waits in the system's buffer,
    // which drops the excess rather than growing.
    while (m_socket && m_socket->hasPendingDatagrams()) {
        const qint64 size = m_socket->pendingDatagramSize();
        QByteArray datagram(std::max<qint64>(size, 0), Qt::Uninitialized);
        const qint64 read = m_socket->readDatagram(datagram.data(), datagram.size());
        if (read < 0)
            break;
        if (read == 0)
            continue;
        datagram.truncate(read);
        if (!datagram.endsWith('\n') && !datagram.endsWith('\r'))
            datagram.append("\r\n");
        emit received(datagram);
    }
}

void UdpLineTransport::socketError()
{
    // A bound socket reports passing trouble (a datagram refused on the way)
    // and stays bound; only a socket that lost its port has failed.
    if (m_socket->state() == QAbstractSocket::BoundState) {
        qCDebug(windInput).noquote() << description() << m_socket->errorString();
        return;
    }
    const AppError error(AppError::Kind::NetworkError,
                         QStringLiteral("Stopped receiving the wind on UDP port %1: %2.")
                             .arg(m_port)
                             .arg(m_socket->errorString()));
    close();
    emit failed(error);
}
