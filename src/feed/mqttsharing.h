// SPDX-License-Identifier: MIT
#pragma once

#include "feed/addon.h"

#include "core/mqttsettings.h"
#include "platform/mqttclient.h"

#include <QObject>
#include <QString>

class MqttPublisher;
class QTimer;
class SettingsFile;
class WindFeed;
class WindRecorder;

// Publishes the wind to an MQTT broker when the settings file's [MQTT]
// section asks for it: the section is read once at start and never written,
// the client connects (and keeps trying, without ever holding up the
// display), and every reading the feed accepts becomes a state message
// carrying the recorder's 10-minute statistics and their METAR wind group.
// Without the section nothing is opened.
class MqttSharing : public QObject, public AddOn
{
    Q_OBJECT

public:
    MqttSharing(const SettingsFile &settings, WindFeed &feed, WindRecorder &recorder,
                QObject *parent = nullptr);
    // Publishes "offline" and disconnects, waiting two seconds at most.
    ~MqttSharing() override;

    // Reads the section and starts the client. A section or a file it names
    // that cannot be used is told naming the key, the value and the settings
    // file. The display goes on either way.
    QStringList start() override;

    MqttClient *client() const { return m_client; }

signals:
    void statusChanged(const QString &status);
    // Said once for the first failure, and once more for a refused password
    // or certificate; later outages show in the status alone.
    void problem(const QString &message);

private:
    void wireFeed();
    void connectionFailed(const MqttFailure &failure);
    void showStatus();
    QString brokerName() const;

    const SettingsFile &m_settings;
    WindFeed &m_feed;
    WindRecorder &m_recorder;
    MqttConfig m_config;
    MqttClient *m_client = nullptr;
    MqttPublisher *m_publisher = nullptr;
    // Counts the seconds to the next attempt down, once a second.
    QTimer *m_countdownTimer = nullptr;
    std::optional<MqttFailure> m_failure; // the last one, while not connected
    qint64 m_retryAtMs = 0;
    QString m_status;
    QString m_lastLoggedReason;
    bool m_failureTold = false;
    bool m_credentialsTold = false;
    bool m_certificateTold = false;
};
