// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

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
// sets other keys without Host is an error, because its author evidently
// meant to publish.
struct MqttConfig
{
    QString host; // a name or an IP address, without brackets; empty: off
    quint16 port = 1883;
    QString caFile; // absolute; TLS with the broker's certificate verified when set
    QString username;
    QString passwordFile; // absolute; read by readMqttFiles()
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

// The keys the section knows, in the order the documentation lists them.
QStringList mqttSectionKeys();

// The configuration the section's entries describe; off for no entries.
// hostName makes the default topic, wind-condition/<hostName>; a relative
// CaFile or PasswordFile is taken from settingsFolder. Throws AppError
// (InvalidArgument) on the first unknown key, empty value or bad value, with
// a description that names the section, the key and the value (the caller
// adds the file).
MqttConfig readMqttConfig(const QList<std::pair<QString, QString>> &entries,
                          const QString &hostName, const QString &settingsFolder);

// Reads the password file into config.password and checks that the CA file
// can be read. A password file that others may read is refused: whoever can
// read it can publish in this system's name. Throws AppError
// (InvalidArgument) naming the key, the value and what is wrong.
void readMqttFiles(MqttConfig &config);
