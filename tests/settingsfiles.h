// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

// A settings file with the two sections the application keeps, in the order
// it writes them.
inline QByteArray settingsFile(const char *exampleMode, const char *angle, const char *wind,
                               const char *port = "1")
{
    return QByteArray("[PARAMETRES]\r\nSerialPort1-COM=") + port + "\r\nDummyMode=" + exampleMode
        + "\r\n[VALUES]\r\nAngle=" + angle + "\r\nWind=" + wind + "\r\n";
}
