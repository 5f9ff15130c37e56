// SPDX-License-Identifier: MIT
#pragma once

#include "core/sectionreader.h"

#include <QList>
#include <QMap>
#include <QString>

class SettingsFile;

// A serial device as the system describes it; a text the system does not
// know is empty.
struct SerialDevice
{
    QString path; // /dev/ttyUSB0
    // Its name under /dev/serial/by-id, which names the adapter rather than
    // the order it was plugged in; empty where the system made none.
    QString byIdPath;
    QString description;
    QString manufacturer;
    QString serialNumber;

    // The path a [PORTS] line should name: the by-id name where there is
    // one, since /dev/ttyUSB0 may be another adapter after the next plug-in.
    QString stablePath() const { return byIdPath.isEmpty() ? path : byIdPath; }
};

// The port dialog offers ports 1 to this.
constexpr int HighestPortNumber = 9;

// The settings file's line that makes port open device: "COM3=/dev/ttyUSB0".
QString portsLine(int port, const QString &device);

// What wind-condition --list-ports prints: each device with what the system
// knows of it, the settings file's path, then a [PORTS] section that maps the
// devices, in their order, to ports 1, 2, ... (at most HighestPortNumber),
// and asks for listening to resume by itself when a device comes back,
// ready to paste into that file.
QString portListing(const QList<SerialDevice> &devices, const QString &settingsPath);

// The optional [PORTS] section, read and never written:
//
//     [PORTS]
//     COM3=/dev/serial/by-id/usb-Serial_Adapter_0001-if00-port0
//     Reconnect=True
struct PortsConfig
{
    // The device a port number opens, where a COMn line names one.
    QMap<int, QString> devices;
    // With True, a device lost while listening is waited for and read again
    // when it comes back, instead of ending listening with a message.
    bool reconnect = false;
};

// A COMn line that cannot be used leaves port n on the system's own device
// for it; a Reconnect that cannot be used is off; a key the section does not
// have turns nothing off. Each is told. Throws AppError (FileError) only when
// the settings file cannot be read.
SectionSettings<PortsConfig> readPortsSection(const SettingsFile &settings);
