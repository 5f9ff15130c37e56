// SPDX-License-Identifier: MIT
#include "tcplinetransport.h"

#include "core/inputsettings.h"
#include "core/logcategories.h"

#include <QHostAddress>
#include <QTcpSocket>

#include <algorithm>

#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace {

// Probes after 10 s without traffic, three of them 5 s apart: a server that
// vanished is found 25 s after its last byte. A live server's system
// answers the probes, however long the server itself stays silent.
void enableKeepAlive(QTcpSocket &socket)
{
    socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
#ifdef Q_OS_LINUX
    const int descriptor = int(socket.socketDescriptor());
    const int idleSeconds = 10;
    const int intervalSeconds = 5;
    const int probes = 3;
    if (setsockopt(descriptor, IPPROTO_TCP, TCP_KEEPIDLE, &idleSeconds, sizeof idleSeconds) != 0
        || setsockopt(descriptor, IPPROTO_TCP, TCP_KEEPINTVL, &intervalSeconds,
                      sizeof intervalSeconds)
            != 0
        || setsockopt(descriptor, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes) != 0)
        qCDebug(windInput) << "cannot shorten TCP keepalive; the system's times apply";
#endif
}

} // namespace

TcpLineTransport::TcpLineTransport(const IpEndpoint &server, QObject *parent)
    : LineTransport(parent)
    , m_server(server)
{
    m_retryTimer.setSingleShot(true);
    m_connectTimer.setSingleShot(true);
    m_connectTimer.setInterval(ConnectTimeoutMs);
    connect(&m_retryTimer, &QTimer::timeout, this, &TcpLineTransport::connectNow);
    connect(&m_connectTimer, &QTimer::timeout, this,
            [this] { connectionEnded(QStringLiteral("no answer from the server")); });
}

TcpLineTransport::~TcpLineTransport()
{
    close();
}

void TcpLineTransport::open()
{
    if (m_open)
        return;
    m_open = true;
    // Until a connection delivers, the server counts as away.
    m_grownRetryMs = m_firstRetryMs;
    m_outage.start();
    m_outageLogged = false;
    connectNow();
}

void TcpLineTransport::close()
{
    m_open = false;
    m_retryTimer.stop();
    m_connectTimer.stop();
    dropSocket();
    setState(QString());
}

QString TcpLineTransport::description() const
{
    return tcpInputDescription(m_server);
}

void TcpLineTransport::setDelays(int firstRetryMs, int steadyRetryForMs, int longestRetryMs,
                                 int connectTimeoutMs)
{
    m_firstRetryMs = firstRetryMs;
    m_steadyRetryForMs = steadyRetryForMs;
    m_longestRetryMs = longestRetryMs;
    m_grownRetryMs = firstRetryMs;
    m_connectTimer.setInterval(connectTimeoutMs);
}

int TcpLineTransport::nextRetryDelayMs()
{
    if (!m_outage.isValid()) {
        m_outage.start();
        m_grownRetryMs = m_firstRetryMs;
    }
    if (m_outage.elapsed() < m_steadyRetryForMs)
        return m_firstRetryMs;
    m_grownRetryMs = std::min(2 * m_grownRetryMs, m_longestRetryMs);
    return m_grownRetryMs;
}

void TcpLineTransport::connectNow()
{
    dropSocket();
    m_socket = new QTcpSocket(this);
    m_socket->setReadBufferSize(ReadBufferBytes);
    connect(m_socket, &QTcpSocket::connected, this, &TcpLineTransport::connected);
    connect(m_socket, &QTcpSocket::readyRead, this, &TcpLineTransport::readAvailable);
    connect(m_socket, &QTcpSocket::errorOccurred, this,
            [this] { connectionEnded(m_socket->errorString()); });
    connect(m_socket, &QTcpSocket::disconnected, this,
            [this] { connectionEnded(QStringLiteral("the server closed the connection")); });
    setState(QStringLiteral("connecting"));
    m_connectTimer.start();
    // The address was checked when the settings were read; a literal needs
    // no name lookup, so nothing here can block.
    m_socket->connectToHost(QHostAddress(m_server.address), m_server.port);
}

void TcpLineTransport::connected()
{
    m_connectTimer.stop();
    enableKeepAlive(*m_socket);
    // Queued in the socket's buffer: nothing waits. A failed write ends the
    // connection through errorOccurred, and the next one asks again.
    if (!m_greeting.isEmpty())
        m_socket->write(m_greeting);
    if (m_outageLogged)
        qCInfo(windInput).noquote() << description() << "connected again";
    m_outageLogged = false;
    setState(QStringLiteral("connected"));
    emit restarted();
}

void TcpLineTransport::readAvailable()
{
    const QByteArray bytes = m_socket->readAll();
    if (bytes.isEmpty())
        return;
    // A connection that delivers is a working server: if it goes away now,
    // a new outage begins.
    m_outage.invalidate();
    emit received(bytes);
}

void TcpLineTransport::connectionEnded(const QString &reason)
{
    if (!m_socket)
        return;
    m_connectTimer.stop();
    // What arrived just before the server closed belongs to the old stream.
    const QByteArray rest = m_socket->readAll();
    dropSocket();
    if (!rest.isEmpty()) {
        m_outage.invalidate();
        emit received(rest);
        // A receiver may have closed the input, or closed and opened it.
        if (!m_open || m_socket)
            return;
    }

    const int delayMs = nextRetryDelayMs();
    const QString state
        = QStringLiteral("retrying in %1 s: %2").arg(QString::number(delayMs / 1000.0), reason);
    if (!m_outageLogged)
        qCInfo(windInput).noquote() << description() << state;
    else
        qCDebug(windInput).noquote() << description() << state;
    m_outageLogged = true;
    m_retryTimer.start(delayMs);
    setState(state);
    emit lost(state);
}

void TcpLineTransport::dropSocket()
{
    if (!m_socket)
        return;
    // This may run inside one of the socket's own signals: it goes later.
    m_socket->disconnect(this);
    m_socket->abort();
    m_socket->deleteLater();
    m_socket = nullptr;
}

void TcpLineTransport::setState(const QString &state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged(m_state);
}
