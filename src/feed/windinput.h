// SPDX-License-Identifier: MIT
#pragma once

#include "core/inputsettings.h"
#include "core/windcorrections.h"

#include <QString>

#include <memory>

class SettingsFile;
class WindFeed;
class WindLink;
struct RecordedSource;

// The input that listening reads, as the settings file's [INPUT] section
// asks for it: the sensor's frames or NMEA 0183 sentences on the serial port
// chosen in the port dialog (waited for when lost if [PORTS]
// Reconnect=True), or NMEA 0183 from a TCP server or in UDP datagrams.
// Without the section, the sensor on the serial port at 9600 baud.
class WindInput
{
public:
    explicit WindInput(const SettingsFile &settings);

    // Reads what the input needs from the settings file, once, after the
    // window has chosen the file. Returns what the user must be told once
    // when a value cannot be used (the input then goes on with its
    // default); empty when all is well.
    QStringList readSettings();
    // Hands the feed what it needs of the input: how to name it, the
    // corrections of [SENSOR], and for NMEA 0183 which wind to show.
    void configure(WindFeed &feed) const;

    // A new link for the port: what WindFeed::LinkFactory asks for. The
    // port is the serial one; a network input has no use for it.
    std::unique_ptr<WindLink> makeLink(int portNumber) const;

    // The input as the wind history names it and the data log marks its
    // samples, for listening on the port. Never throws.
    RecordedSource recordedSource(int portNumber) const;

private:
    const SettingsFile &m_settings;
    InputConfig m_config;
    WindCorrections m_corrections; // from [SENSOR]
    bool m_reconnect = false;
};
