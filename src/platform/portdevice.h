// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <memory>

class SerialTransport;
class SettingsFile;

// The device a port number opens. A line in the settings file's optional
// section "PORTS" (key "COM3", value a device path) names it; otherwise the
// platform's own naming applies: "COMn" on Windows, /dev/ttyS(n-1) elsewhere.
// Read at every opening, so an edit needs no restart.
QString deviceForPort(const SettingsFile &settings, int port);

// The application's serial port: mapped through the settings file's [PORTS]
// section, and a port that cannot be opened explained with the fix (the
// devices present and the line that maps one, the group to join, or the
// program to close).
std::unique_ptr<SerialTransport> makeSerialTransport(const SettingsFile &settings, int port);
