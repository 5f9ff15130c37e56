// SPDX-License-Identifier: MIT
#pragma once

#include "core/ipliteral.h"
#include "core/nmeawindsentence.h"

#include <QString>

#include <functional>
#include <optional>

class SettingsFile;

// The optional [INPUT] section of the settings file: where the wind comes
// from and in which protocol. Read at start, never written:
//
//     [INPUT]
//     Protocol=NMEA0183        ; or Sensor (the default)
//     Baud=4800                ; default 4800 for NMEA 0183, 9600 for the sensor
//     Tcp=192.168.1.10:10110   ; a server that sends sentences, instead of
//     Udp=10110                ;   the serial port, or datagrams to this port
//     Wind=Apparent            ; or True
//
// Tcp and Udp carry NMEA 0183, so either one alone chooses it. Without the
// section the sensor is read on the serial port at 9600 baud, as always.

enum class InputProtocol { Sensor, Nmea0183 };

struct InputConfig
{
    InputProtocol protocol = InputProtocol::Sensor;
    // The serial port's rate when the section sets one; see baudRate().
    std::optional<qint32> baud;
    // At most one of these; neither: the serial port.
    std::optional<IpEndpoint> tcpServer;
    std::optional<quint16> udpPort;
    // Which sentences count; only for NMEA 0183.
    NmeaWind wind = NmeaWind::Apparent;

    bool isSerial() const { return !tcpServer && !udpPort; }
    // The serial port's rate (8N1, no flow control): the one set, or the
    // protocol's usual one.
    qint32 baudRate() const;
    // The input in a few words, for the link health and the log:
    // "COM3 NMEA 0183 4800", "COM3 9600" (the sensor),
    // "tcp 192.168.1.10:10110", "udp :10110".
    QString description(const QString &serialPortName) const;
};

inline constexpr char InputSectionName[] = "INPUT";

// The rates a serial input may use.
inline constexpr qint32 InputBaudRates[] = {4800, 9600, 19200, 38400, 57600, 115200};

QString tcpInputDescription(const IpEndpoint &server);
QString udpInputDescription(quint16 port);

// The text of one key of the section, blanks around it removed; empty when
// the key (or the whole section) is missing.
using InputSettingLookup = std::function<QString(const QString &key)>;

// The configuration the section describes; the defaults without one. Throws
// AppError (InvalidArgument) on the first bad value, with a description that
// names the section, the key and the value (the caller adds the file); the
// application then starts with the defaults.
InputConfig readInputConfig(const InputSettingLookup &valueOf);

// The section as the settings file holds it: its keys are checked first
// (checkSectionKeys), then read as above. Every AppError it throws is meant
// for the user.
InputConfig readInputSection(const SettingsFile &file);
