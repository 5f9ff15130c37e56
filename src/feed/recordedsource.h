// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <utility>

// Where the recorded samples come from, as the history window names it and
// the data log marks its rows.
struct RecordedSource
{
    // Sensor: listening to the live input, whatever it is.
    enum class Kind { None, Sensor, ExampleMode };

    RecordedSource() = default;
    RecordedSource(Kind kind, int portNumber, QString device, QString input = {},
                   QString logName = {}, QString state = {})
        : kind(kind)
        , portNumber(portNumber)
        , device(std::move(device))
        , input(std::move(input))
        , logName(std::move(logName))
        , state(std::move(state))
    { }

    Kind kind = Kind::None;
    int portNumber = 0; // the serial port listening opens
    QString device; // what that port opened; empty when unknown or not serial
    // The input in a few words when it is not the sensor's frames on the
    // serial port: "COM3 NMEA 0183 4800", "tcp 192.168.1.10:10110",
    // "udp :10110".
    QString input;
    // The source the data log gives the samples: "COM3", "tcp", "udp";
    // empty: the port.
    QString logName;
    // How the input fares: "connecting", "connected", "receiving",
    // "retrying in 2 s: Connection refused", "device missing: ...",
    // "stopped: ...", "no boat speed: VHW, VTG or RMC missing".
    QString state;
    // Which wind an NMEA input shows: "true wind from apparent wind, speed
    // through water and HDT"; empty for the sensor.
    QString wind;
};
