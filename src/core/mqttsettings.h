// SPDX-License-Identifier: MIT
#pragma once

#include "core/sectionreader.h"

#include <QByteArray>
#include <QString>

class SettingsFile;

// The optional [MQTT] section of the settings file, which publishes the wind
// to an MQTT broker. It is read at start and never written:
//
//     [MQTT]
//     Host=broker.example.org
//     Port=8883
//     CaFile=/etc/ssl/certs/broker-ca.pem
//     Username=wind
//     PasswordFile=/home/wind/.config/mqtt-password
//     Topic=wind-condition/deck
//     Interval=1
//     Discovery=True
//     DiscoveryPrefix=homeassistant
//     SendExampleMode=False
//
// Without Host nothing is published and nothing is opened; a section that
// sets other keys without Host is told, because its author evidently meant
// to publish.
struct MqttConfig
{
    QString host; // a name or an IP address, without brackets; empty: off
    quint16 port = 1883;
    QString caFile; // absolute; TLS with the broker's certificate verified when set
    QString username;
    QString passwordFile; // absolute
    QByteArray password; // the password file's first line
    QString topic; // the prefix of the state and availability topics
    int intervalSeconds = 1; // 0: every accepted reading
    bool discovery = true;
    QString discoveryPrefix = QStringLiteral("homeassistant");
    // Made-up wind in a home-automation system or a dashboard misleads:
    // off unless asked for.
    bool sendExampleMode = false;

    bool isOn() const { return !host.isEmpty(); }
};

inline constexpr char MqttSectionName[] = "MQTT";
inline constexpr int MqttDefaultPort = 1883;
inline constexpr int MqttDefaultTlsPort = 8883;
inline constexpr int MqttLongestIntervalSeconds = 3600;

// The section as the settings file holds it; off without one. hostName
// makes the default topic, wind-condition/<hostName>; a relative CaFile or
// PasswordFile is taken from the settings file's folder. The password file's
// first line is read and the CA file checked too: a password file that
// others may read is refused, since whoever can read it can publish in this
// system's name. A setting that cannot be used turns publishing off and is
// told. Throws AppError (FileError) only when the settings file cannot be
// read.
SectionSettings<MqttConfig> readMqttSection(const SettingsFile &file, const QString &hostName);
