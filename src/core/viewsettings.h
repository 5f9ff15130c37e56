// SPDX-License-Identifier: MIT
#pragma once

#include "core/nightschedule.h"
#include "core/sectionreader.h"

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
struct ViewConfig
{
    bool night = false;
    std::optional<NightSchedule> schedule;
};

using ViewSettings = SectionSettings<ViewConfig>;

// A Night that cannot be used starts in day colours; a NightFrom or NightTo
// that cannot be used leaves the clock out; a key the section does not have
// turns nothing off. Each is told. Throws AppError (FileError) only when the
// settings file cannot be read.
ViewSettings readViewSettings(const SettingsFile &file);

// Writes Night at close. A file that lacks the key and a night that is off
// say the same, so such a file is left untouched: an existing file gains the
// section (at its end, in its own line ends) only once night colours are
// chosen. A write that fails is skipped, so closing is never refused.
void writeNightSetting(SettingsFile &file, bool night);
