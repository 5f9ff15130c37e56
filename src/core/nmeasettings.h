// SPDX-License-Identifier: MIT
#pragma once

#include "core/nmeasentence.h"
#include "core/sectionreader.h"

#include <QString>

#include <optional>

// The optional [NMEA] section of the settings file, which shares the wind
// with other programs:
//
//     [NMEA]
//     TcpPort=10110
//     Bind=0.0.0.0
//     UdpTarget=192.168.1.255:10110
//     Sentences=MWV,MWD
//     SpeedUnit=N
//     SendExampleMode=False
//
// Every key may be left out. A section without TcpPort and UdpTarget shares
// nothing; when it sets other keys that is told, because its author
// evidently meant to share and would otherwise find out only at the
// chartplotter. An empty section counts as no section.

class SettingsFile;

struct NmeaEndpoint
{
    QString address; // an IPv4 or IPv6 literal, without brackets
    quint16 port = 0;
};

struct NmeaConfig
{
    // The port the TCP server listens on; none: no server. Port 0 lets the
    // system choose one, which only tests do: the settings never give 0.
    std::optional<quint16> tcpPort;
    // The address the server listens on; 0.0.0.0 is every IPv4 interface.
    QString bindAddress = QStringLiteral("0.0.0.0");
    // Where every sentence also goes as one datagram; none: no UDP.
    std::optional<NmeaEndpoint> udpTarget;
    // MWV only by default: its angle is relative to the sensor's mark and
    // right however the sensor is mounted, while MWD claims true north,
    // which holds only when the mark points north. MWD is sent on request.
    bool sendMwv = true;
    bool sendMwd = false;
    SpeedUnit speedUnit = SpeedUnit::Knots;
    // Made-up wind on a chartplotter is a hazard: off unless asked for.
    bool sendExampleMode = false;

    bool isOutputOn() const { return tcpPort.has_value() || udpTarget.has_value(); }
};

// The section's name in the settings file.
inline constexpr char NmeaSectionName[] = "NMEA";

// The section as the settings file holds it; output off without one. A
// setting that cannot be used turns sharing off and is told, so that the
// display starts without output. Throws AppError (FileError) only when the
// settings file cannot be read.
SectionSettings<NmeaConfig> readNmeaSection(const SettingsFile &file);
