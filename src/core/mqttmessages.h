// SPDX-License-Identifier: MIT
#pragma once

#include "core/windperiodstatistics.h"
#include "core/windsample.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What the wind looks like on an MQTT broker: the topics under the prefix,
// the state message and Home Assistant's discovery configs. Pure: the client
// that carries them lives in platform/.

// <prefix>/state: one JSON object per published state, not retained.
QByteArray mqttStateTopic(const QString &topicPrefix);
// <prefix>/availability: "online" once connected (retained), "offline" as the
// broker's last will and on a clean close.
QByteArray mqttAvailabilityTopic(const QString &topicPrefix);
inline constexpr char MqttOnline[] = "online";
inline constexpr char MqttOffline[] = "offline";

// The last 10 minutes as the state message tells them, as of one moment.
struct MqttTenMinutes
{
    WindPeriodStatistics statistics;
    // The METAR wind group of the same samples ("27015G25KT 240V300"); empty
    // without a sample.
    QString metarWind;
};

// One state message's content.
struct MqttState
{
    qint64 utcMs = 0; // when the reading was accepted, or the readings went stale
    // The reading as the display shows it; none once the readings went
    // stale, which publishes null for every reading field.
    struct Reading
    {
        double wholeDegrees = 0; // as the readout shows it
        double speedMetresPerSecond = 0; // unrounded
        double kmh = 0; // rounded to tenths as the readouts are
        double knots = 0;
        double beaufort = 0;
    };
    std::optional<Reading> reading;
    WindSource source = WindSource::Sensor;
    // The statistics engine's last 10 minutes as of utcMs.
    MqttTenMinutes tenMinutes;
};

// The state as compact JSON with the numbers the display and the history
// window show: direction_deg in whole degrees, speed_kmh and speed_kn with
// one decimal, beaufort as the display derives it, speed_ms with two; the
// 10-minute mean speed and gust with one decimal and the mean direction in
// whole degrees, each null while the period is covered too little (and the
// direction also when calm or when the directions cancel out);
// coverage10_percent rounded down; metar_wind_10min, the METAR wind group as
// text, null as the other 10-minute figures are or without a group. Always a decimal point,
// whatever the locale. Throws AppError when a value is not finite.
QByteArray mqttStateMessage(const MqttState &state);

// A retained discovery config for Home Assistant.
struct MqttDiscoveryConfig
{
    QByteArray topic; // <discoveryPrefix>/sensor/<node id>/<object id>/config
    QByteArray payload; // JSON
};

// The node id that names this display in discovery topics and unique ids:
// the topic prefix with every character other than A-Z, a-z, 0-9, _ and -
// made '_', and for a prefix beyond ASCII '_' and 12 hexadecimal digits of
// its SHA-256, so that such prefixes give different ids. It stays the same
// as long as the prefix does, across restarts.
QString mqttNodeId(const QString &topicPrefix);

// One config per sensor (speed, direction, 10-minute mean speed and mean
// direction, 10-minute gust, Beaufort, 10-minute METAR wind), grouped under
// one device, each with the state topic, a value template, the availability
// topic and a unique id; speeds in m/s with device class wind_speed,
// directions in degrees with device class wind_direction and state class
// measurement_angle; the METAR wind a text sensor, without unit or classes.
QList<MqttDiscoveryConfig> mqttDiscoveryConfigs(const QString &topicPrefix,
                                                const QString &discoveryPrefix,
                                                const QString &softwareVersion);
