// SPDX-License-Identifier: MIT
#include "windlink.h"

#include "platform/linetransport.h"

#include <QTimer>

#include <algorithm>

WindLink::WindLink(std::unique_ptr<LineTransport> transport, std::unique_ptr<WindLineReader> reader,
                   QObject *parent)
    : QObject(parent)
    , m_transport(std::move(transport))
    , m_reader(std::move(reader))
    , m_quietTimer(new QTimer(this))
{
    m_quietTimer->setSingleShot(true);
    connect(m_quietTimer, &QTimer::timeout, this, [this] { deliver(m_reader->lineWentQuiet()); });
    connect(m_transport.get(), &LineTransport::received, this, &WindLink::take);
    connect(m_transport.get(), &LineTransport::restarted, this, [this] {
        // A new stream: the tail of the old one must not join its first frame.
        m_reader->reset();
        m_quietTimer->stop();
        emit lineBack();
    });
    connect(m_transport.get(), &LineTransport::lost, this, [this](const QString &reason) {
        m_quietTimer->stop();
        emit lineLost(reason);
    });
    connect(m_transport.get(), &LineTransport::failed, this, [this](const AppError &error) {
        m_quietTimer->stop();
        emit failed(error);
    });
}

WindLink::~WindLink()
{
    // The transport's signals must not reach a half-destroyed link.
    m_transport->disconnect(this);
    m_transport->close();
}

void WindLink::open()
{
    m_reader->reset();
    m_largestBuffer = 0;
    m_transport->open();
}

void WindLink::close()
{
    m_quietTimer->stop();
    m_transport->close();
}

bool WindLink::isOpen() const
{
    return m_transport->isOpen();
}

QString WindLink::description() const
{
    return m_transport->description();
}

void WindLink::take(const QByteArray &bytes)
{
    m_largestBuffer = std::max(m_largestBuffer, m_reader->bufferedSize() + bytes.size());
    const std::vector<WindLineEvent> events = m_reader->feed(bytes);
    watchForQuietLine();
    deliver(events);
}

void WindLink::watchForQuietLine()
{
    // Restarted by every byte, so it fires only once the line has been
    // quiet; it costs nothing while no frame waits on the line's silence.
    if (m_reader->awaitsQuietLine())
        m_quietTimer->start(m_reader->quietLineMs());
    else
        m_quietTimer->stop();
}

void WindLink::deliver(const std::vector<WindLineEvent> &events)
{
    for (const WindLineEvent &event : events) {
        if (event.kind == WindLineEvent::Kind::Reading)
            emit readingReceived(event.reading);
        else if (event.kind == WindLineEvent::Kind::Rejected)
            emit frameRejected();
        else
            emit motionReceived(event.motion);
    }
}
