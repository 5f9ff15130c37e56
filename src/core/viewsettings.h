// SPDX-License-Identifier: MIT
#pragma once

#include "core/nightschedule.h"

#include <QStringList>

#include <optional>

class SettingsFile;

// The section [VIEW] of the settings file:
//
//     [VIEW]
//     Night=True
//     NightFrom=21:00
//     NightTo=06:30
//
// Night is read at start and written at close; NightFrom and NightTo (local
// time, both or neither) are only read.
struct ViewSettings
{
    bool night = false;
    std::optional<NightSchedule> schedule;
    // One message for each key that cannot be used, naming the key, its value
    // and the file.
    QStringList problems;
};

// Throws AppError (FileError) only when the settings file cannot be read.
ViewSettings readViewSettings(const SettingsFile &file);

// Writes Night at close. A file that lacks the key and a night that is off
// say the same, so such a file is left untouched: an existing file gains the
// section (at its end, in its own line ends) only once night colours are
// chosen. A write that fails is skipped, so closing is never refused.
void writeNightSetting(SettingsFile &file, bool night);
