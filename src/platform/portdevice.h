#pragma once

#include <QString>

class SettingsFile;

// The device a port number opens. A line in the settings file's optional
// section "PORTS" (key "COM3", value a device path) names it; otherwise the
// platform's own naming applies: "COMn" on Windows, /dev/ttyS(n-1) elsewhere.
// Read at every opening, so an edit needs no restart.
QString deviceForPort(const SettingsFile &settings, int port);
