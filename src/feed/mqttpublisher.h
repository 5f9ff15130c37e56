// SPDX-License-Identifier: MIT
#pragma once

#include "feed/windfeedreading.h"

#include "core/mqttmessages.h"

#include <QObject>

#include <functional>
#include <optional>

class QTimer;

// Decides which state messages go to the broker, and when; the sink (the
// client's publish) carries them. Each accepted reading makes one message,
// but never two closer than the interval: a reading that comes sooner waits,
// and a later one takes its place, so the newest reading always goes out
// once the interval is over. Readings that went stale send null readings
// once, then nothing until readings return. Rejected frames never reach it;
// example mode is published only when asked for.
class MqttPublisher : public QObject
{
    Q_OBJECT

public:
    using Sink = std::function<void(const QByteArray &stateMessage)>;
    // The statistics engine's last 10 minutes and their METAR wind group, as
    // of now; asked once for each message sent.
    using TenMinutes = std::function<MqttTenMinutes()>;
    using UtcClock = std::function<qint64()>;

    // utcClock stamps the message that says the readings went stale; a
    // reading's message carries the reading's own time.
    MqttPublisher(int intervalSeconds, bool sendExampleMode, Sink sink, TenMinutes tenMinutes,
                  UtcClock utcClock, QObject *parent = nullptr);

    void sampleAccepted(const WindFeedReading &reading);

public slots:
    // No reading has been accepted for a while although one was expected.
    void readingsStale();

private:
    struct Pending
    {
        qint64 utcMs = 0;
        std::optional<MqttState::Reading> reading; // none: the readings went stale
        WindSource source = WindSource::Sensor;
    };

    void offer(const Pending &state);
    void send(const Pending &state);

    bool m_sendExampleMode = false;
    Sink m_sink;
    TenMinutes m_tenMinutes;
    UtcClock m_utcClock;
    // Runs for the interval after each message; what comes meanwhile waits.
    QTimer *m_intervalTimer = nullptr;
    std::optional<Pending> m_waiting;
    bool m_staleSent = false;
    WindSource m_lastSource = WindSource::Sensor;
};
