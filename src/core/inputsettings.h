// SPDX-License-Identifier: MIT
#pragma once

#include "core/ipliteral.h"
#include "core/nmeawindsentence.h"
#include "core/sectionreader.h"
#include "core/windreading.h"

#include <QString>

#include <optional>

class SettingsFile;

// The optional [INPUT] section of the settings file: where the wind comes
// from and in which protocol. Read at start, never written:
//
//     [INPUT]
//     Protocol=NMEA0183        ; Sensor (the default), NMEA0183 or gpsd
//     Baud=4800                ; default 4800 for NMEA 0183, 9600 for the sensor
//     Tcp=192.168.1.10:10110   ; a server that sends sentences, instead of
//     Udp=10110                ;   the serial port, or datagrams to this port
//     Wind=Apparent            ; or True
//     BoatSpeed=Water          ; or Ground: the boat speed true wind uses
//
// Tcp and Udp carry NMEA 0183, so either one alone chooses it; gpsd is read
// from its TCP port (Tcp=127.0.0.1:2947). Without the section the sensor is
// read on the serial port at 9600 baud, as always.

enum class InputProtocol {
    Sensor,
    Nmea0183,
    // The sentences a gpsd relays from its TCP port, once asked for them.
    Gpsd,
};

struct InputConfig
{
    InputProtocol protocol = InputProtocol::Sensor;
    // The serial port's rate when the section sets one; see baudRate().
    std::optional<qint32> baud;
    // At most one of these; neither: the serial port. gpsd always has
    // tcpServer.
    std::optional<IpEndpoint> tcpServer;
    std::optional<quint16> udpPort;
    // Which sentences count; only for NMEA 0183 and gpsd.
    NmeaWind wind = NmeaWind::Apparent;
    // The boat speed that true wind is worked out with, from apparent wind.
    BoatSpeedSource boatSpeed = BoatSpeedSource::Water;

    bool isSerial() const { return !tcpServer && !udpPort; }
    // The serial port's rate (8N1, no flow control): the one set, or the
    // protocol's usual one.
    qint32 baudRate() const;
    // The input in a few words, for the link health and the log:
    // "COM3 NMEA 0183 4800", "COM3 9600" (the sensor),
    // "tcp 192.168.1.10:10110", "udp :10110", "gpsd 127.0.0.1:2947".
    QString description(const QString &serialPortName) const;
};

inline constexpr char InputSectionName[] = "INPUT";

// The rates a serial input may use.
inline constexpr qint32 InputBaudRates[] = {4800, 9600, 19200, 38400, 57600, 115200};

// The port gpsd listens on unless told otherwise.
inline constexpr quint16 GpsdUsualPort = 2947;

QString tcpInputDescription(const IpEndpoint &server);
QString udpInputDescription(quint16 port);
QString gpsdInputDescription(const IpEndpoint &server);

// The section as the settings file holds it; the defaults without one. A
// setting that cannot be used leaves the whole input at its defaults (the
// sensor on the serial port) and is told. Throws AppError (FileError) only
// when the settings file cannot be read.
SectionSettings<InputConfig> readInputSection(const SettingsFile &file);
