#include "fakeserialcontrol.h"

#include "core/apperror.h"

void FakeSerialControl::fail(const QString &reason) const
{
    throw AppError(AppError::Kind::SerialError,
                   QStringLiteral("Serial port %1 (fake): %2").arg(m_commPort).arg(reason));
}

void FakeSerialControl::setPortNumber(qint16 port)
{
    if (m_open)
        fail(QStringLiteral("the port is open"));
    if (port < 1)
        fail(QStringLiteral("invalid port number"));
    m_commPort = port;
}

void FakeSerialControl::setOpen(bool open)
{
    if (open && !m_openFailure.isEmpty())
        fail(m_openFailure);
    if (open && !m_open)
        ++m_openCount;
    if (!open && m_open)
        ++m_closeCount;
    m_open = open;
}

int FakeSerialControl::waitingCount()
{
    if (!m_readFailure.isEmpty())
        fail(m_readFailure);
    return static_cast<int>(m_received.size());
}

QString FakeSerialControl::takeInput()
{
    if (!m_readFailure.isEmpty())
        fail(m_readFailure);
    const QByteArray taken = m_inputLen > 0 ? m_received.left(m_inputLen) : m_received;
    m_received.remove(0, taken.size());
    return QString::fromLatin1(taken);
}
