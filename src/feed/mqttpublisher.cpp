// SPDX-License-Identifier: MIT
#include "feed/mqttpublisher.h"

#include "core/apperror.h"
#include "core/logcategories.h"
#include "core/mqttmessages.h"

#include <QTimer>

MqttPublisher::MqttPublisher(int intervalSeconds, bool sendExampleMode, Sink sink,
                             TenMinutes tenMinutes, UtcClock utcClock, QObject *parent)
    : QObject(parent)
    , m_sendExampleMode(sendExampleMode)
    , m_sink(std::move(sink))
    , m_tenMinutes(std::move(tenMinutes))
    , m_utcClock(std::move(utcClock))
    , m_intervalTimer(new QTimer(this))
{
    m_intervalTimer->setSingleShot(true);
    m_intervalTimer->setInterval(intervalSeconds * 1000);
    connect(m_intervalTimer, &QTimer::timeout, this, [this] {
        if (m_waiting) {
            const Pending state = *m_waiting;
            m_waiting.reset();
            send(state);
        }
    });
}

void MqttPublisher::sampleAccepted(const WindFeedReading &reading)
{
    // Made-up wind is not published, and neither is its absence.
    if (reading.source == WindSource::ExampleMode && !m_sendExampleMode)
        return;
    m_staleSent = false;
    m_lastSource = reading.source;
    const WindFigures &shown = reading.figures;
    offer({reading.utcMs,
           MqttState::Reading{shown.shownDegrees.value_or(0), reading.sample.speedMetresPerSecond,
                              shown.kmh.value_or(0), shown.knots.value_or(0),
                              shown.beaufort.value_or(0)},
           reading.source});
}

void MqttPublisher::readingsStale()
{
    if (m_staleSent)
        return;
    m_staleSent = true;
    offer({m_utcClock(), std::nullopt, m_lastSource});
}

void MqttPublisher::offer(const Pending &state)
{
    if (m_intervalTimer->isActive()) {
        m_waiting = state;
        return;
    }
    send(state);
}

void MqttPublisher::send(const Pending &state)
{
    MqttState message;
    message.utcMs = state.utcMs;
    message.reading = state.reading;
    message.source = state.source;
    try {
        message.tenMinutes = m_tenMinutes();
        m_sink(mqttStateMessage(message));
    } catch (const AppError &error) {
        // The display has shown the reading; what cannot become a message is
        // left out here rather than stopping the display's loop.
        qCWarning(windMqtt) << "A state message was left out:" << error.description();
    }
    if (m_intervalTimer->interval() > 0)
        m_intervalTimer->start();
}
