// SPDX-License-Identifier: MIT
#include "feed/mqttsharing.h"

#include "feed/mqttpublisher.h"
#include "feed/windfeed.h"
#include "feed/windrecorder.h"

#include "core/apperror.h"
#include "core/logcategories.h"
#include "core/metarwind.h"
#include "core/mqttmessages.h"
#include "core/mqttsettings.h"
#include "core/settingsfile.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QSysInfo>
#include <QTimer>

#include <cmath>
#include <utility>

namespace {

// The recorder's last 10 minutes and their METAR wind group, as of now.
MqttTenMinutes tenMinutes(WindRecorder &recorder)
{
    const qint64 now = recorder.now();
    const std::optional<MetarWindFigures> figures
        = recorder.metarWindFigures(now, WindStatistics::tenMinutesMs);
    return {recorder.statistics(now).tenMinutes, figures ? metarWindGroup(*figures) : QString()};
}

} // namespace

MqttSharing::MqttSharing(const SettingsFile &settings, WindFeed &feed, WindRecorder &recorder,
                         QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_feed(feed)
    , m_recorder(recorder)
    , m_countdownTimer(new QTimer(this))
{
    m_countdownTimer->setInterval(1000);
    connect(m_countdownTimer, &QTimer::timeout, this, &MqttSharing::showStatus);
}

MqttSharing::~MqttSharing()
{
    if (m_client)
        m_client->close();
}

QStringList MqttSharing::start()
{
    try {
        const SectionSettings<MqttConfig> read
            = readMqttSection(m_settings, QSysInfo::machineHostName());
        m_config = read.config;
        if (!read.problems.isEmpty())
            return read.problems;
        if (!m_config.isOn())
            return {};
    } catch (const AppError &error) {
        m_config = {};
        return {QStringLiteral("%1\n\nThe wind is not published to the MQTT broker until this is "
                               "mended in the settings file %2. The display works as usual.")
                    .arg(error.description(), QDir::toNativeSeparators(m_settings.path()))};
    }

    const QByteArray availability = mqttAvailabilityTopic(m_config.topic);
    MqttConnection connection;
    connection.host = m_config.host;
    connection.port = m_config.port;
    connection.caFile = m_config.caFile;
    connection.username = m_config.username;
    connection.password = m_config.password;
    connection.will = {availability, MqttOffline, 1, true};
    // Home Assistant wants the configs before the sensors' availability.
    if (m_config.discovery) {
        for (const MqttDiscoveryConfig &config : mqttDiscoveryConfigs(
                 m_config.topic, m_config.discoveryPrefix, QStringLiteral(WIND_VERSION)))
            connection.onConnect.append({config.topic, config.payload, 1, true});
    }
    connection.onConnect.append({availability, MqttOnline, 1, true});
    m_client = new MqttClient(connection, this);

    const QByteArray stateTopic = mqttStateTopic(m_config.topic);
    m_publisher = new MqttPublisher(
        m_config.intervalSeconds, m_config.sendExampleMode,
        [client = m_client, stateTopic](const QByteArray &message) {
            client->publish(stateTopic, message);
        },
        [recorder = &m_recorder] { return tenMinutes(*recorder); },
        [] { return QDateTime::currentMSecsSinceEpoch(); }, this);
    wireFeed();

    connect(m_client, &MqttClient::connected, this, [this] {
        m_failure.reset();
        m_countdownTimer->stop();
        qCInfo(windMqtt).noquote() << "Publishing to" << brokerName();
        m_lastLoggedReason.clear();
        showStatus();
    });
    connect(m_client, &MqttClient::connectionFailed, this, &MqttSharing::connectionFailed);
    m_status = QStringLiteral("MQTT: connecting to %1").arg(brokerName());
    emit statusChanged(m_status);
    m_client->start();
    return {};
}

void MqttSharing::wireFeed()
{
    connect(&m_feed, &WindFeed::sampleAccepted, m_publisher, &MqttPublisher::sampleAccepted);
    // The readings go stale after a silence or a lost line, also one that
    // never delivered a reading.
    connect(&m_feed, &WindFeed::stalenessChanged, m_publisher,
            [this](const WindStaleness &staleness) {
                if (staleness.readings)
                    m_publisher->readingsStale();
            });
}

void MqttSharing::connectionFailed(const MqttFailure &failure)
{
    m_failure = failure;
    m_retryAtMs = QDateTime::currentMSecsSinceEpoch() + qint64(failure.retryInSeconds) * 1000;
    m_countdownTimer->start();
    showStatus();
    // The terminal hears of an outage once, not at every attempt.
    if (failure.reason != m_lastLoggedReason) {
        qCWarning(windMqtt).noquote() << brokerName() + QStringLiteral(":") << failure.reason;
        m_lastLoggedReason = failure.reason;
    }

    const QString file = QDir::toNativeSeparators(m_settings.path());
    const QString retrying = QStringLiteral("It is tried again every %1 seconds; the display "
                                            "works as usual.")
                                 .arg(MqttClient::LongestRetrySeconds);
    bool untold = !m_failureTold;
    QString message;
    switch (failure.kind) {
    case MqttFailure::Kind::Credentials:
        untold = !std::exchange(m_credentialsTold, true);
        message = QStringLiteral("The MQTT broker %1 refused the user name or password (%2).\n\n"
                                 "Check Username and PasswordFile in the settings file %3. ")
                      .arg(brokerName(), failure.reason, file)
            + retrying;
        break;
    case MqttFailure::Kind::Certificate:
        untold = !std::exchange(m_certificateTold, true);
        message = QStringLiteral("The MQTT broker %1 could not be reached over TLS (%2).\n\n"
                                 "Check that CaFile in the settings file %3 names the CA that "
                                 "signed the broker's certificate, and that Host is a name the "
                                 "certificate holds. ")
                      .arg(brokerName(), failure.reason, file)
            + retrying;
        break;
    case MqttFailure::Kind::Unreachable:
    case MqttFailure::Kind::Refused:
        message = QStringLiteral("The MQTT broker %1 cannot be reached: %2.\n\nThe wind is "
                                 "published as soon as it can be; the history window's link "
                                 "health shows each attempt. The display works as usual.")
                      .arg(brokerName(), failure.reason);
        break;
    }
    m_failureTold = true;
    if (untold)
        emit problem(message);
}

void MqttSharing::showStatus()
{
    QString status = QStringLiteral("MQTT: connected");
    if (m_failure) {
        const qint64 left = m_retryAtMs - QDateTime::currentMSecsSinceEpoch();
        if (left > 0)
            status = QStringLiteral("MQTT: retrying in %1 s: %2")
                         .arg(qint64(std::ceil(double(left) / 1000)))
                         .arg(m_failure->reason);
        else
            status = QStringLiteral("MQTT: connecting to %1 (last attempt: %2)")
                         .arg(brokerName(), m_failure->reason);
    }
    if (status != m_status) {
        m_status = status;
        emit statusChanged(m_status);
    }
}

QString MqttSharing::brokerName() const
{
    const QString host = m_config.host.contains(u':') ? u'[' + m_config.host + u']' : m_config.host;
    return QStringLiteral("%1:%2").arg(host).arg(m_config.port);
}
