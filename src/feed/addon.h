// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

// Something attached to the wind feed from outside: the history and its data
// log, the NMEA output, MQTT, the alarms, night colours. Each is built from
// the settings file, the feed and what else it needs, and started once by
// start(), before the window is shown. start() reads the add-on's section of
// the settings file and returns what the user must be told once (each
// message naming the key, its value and the file); an add-on whose section
// cannot be used stays off, and the display works either way. It throws
// AppError (FileError) only when the settings file cannot be read at all.
class AddOn
{
public:
    virtual ~AddOn() = default;
    virtual QStringList start() = 0;
};
