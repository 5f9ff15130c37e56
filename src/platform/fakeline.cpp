// SPDX-License-Identifier: MIT
#include "fakeline.h"

#include <QTimer>

class FakeTransport : public LineTransport
{
public:
    FakeTransport(FakeLine &line, int portNumber)
        : m_line(line)
        , m_portNumber(portNumber)
    { }
    ~FakeTransport() override { close(); }

    void open() override
    {
        if (!m_line.m_openFailure.isEmpty())
            fail(m_line.m_openFailure);
        if (m_open)
            fail(QStringLiteral("the port is already open"));
        m_open = true;
        m_line.opened(this);
    }
    void close() override
    {
        if (m_open || m_lost)
            m_line.closed();
        m_open = false;
        m_lost = false;
    }
    bool isOpen() const override { return m_open; }
    QString description() const override { return QStringLiteral("COM%1").arg(m_portNumber); }

    void deliver(const QByteArray &bytes) { emit received(bytes); }
    void breakLine(const QString &reason, bool reconnect)
    {
        m_open = false;
        if (reconnect) {
            m_lost = true;
            emit lost(reason);
            return;
        }
        m_line.closed();
        emit failed(AppError(AppError::Kind::SerialError,
                             QStringLiteral("Serial port %1 (fake): reading failed: %2")
                                 .arg(m_portNumber)
                                 .arg(reason)));
    }
    void comeBack()
    {
        if (!m_lost)
            return;
        m_lost = false;
        m_open = true;
        emit restarted();
    }
    bool isLost() const { return m_lost; }

private:
    [[noreturn]] void fail(const QString &reason) const
    {
        throw AppError(AppError::Kind::SerialError,
                       QStringLiteral("Serial port %1 (fake): %2").arg(m_portNumber).arg(reason));
    }

    FakeLine &m_line;
    int m_portNumber;
    bool m_open = false;
    bool m_lost = false; // broken, waiting for the cable to come back
};

FakeLine::FakeLine() = default;
FakeLine::~FakeLine() = default;

std::unique_ptr<LineTransport> FakeLine::makeTransport(int portNumber)
{
    m_portNumber = portNumber;
    return std::make_unique<FakeTransport>(*this, portNumber);
}

void FakeLine::feed(const QByteArray &bytes)
{
    if (m_open && m_open->isOpen())
        m_open->deliver(bytes);
    else
        m_pending += bytes;
}

void FakeLine::pullCable(const QString &reason)
{
    if (m_open && m_open->isOpen())
        m_open->breakLine(reason, m_reconnect);
}

void FakeLine::plugCable()
{
    if (m_open && m_open->isLost())
        m_open->comeBack();
}

bool FakeLine::isOpen() const
{
    return m_open && m_open->isOpen();
}

void FakeLine::opened(FakeTransport *transport)
{
    ++m_openCount;
    m_open = transport;
    // What waited arrives from the event loop, as a real port's first read
    // does, not inside open().
    QTimer::singleShot(0, transport, [this, transport] {
        if (m_open == transport && transport->isOpen() && !m_pending.isEmpty())
            transport->deliver(std::exchange(m_pending, QByteArray()));
    });
}

void FakeLine::closed()
{
    ++m_closeCount;
}
