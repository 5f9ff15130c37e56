// SPDX-License-Identifier: MIT
#pragma once

#include "core/sectionreader.h"
#include "core/windstatisticstext.h"

#include <QString>
#include <QStringList>

#include <optional>

class SettingsFile;

// The wind alarms, from the optional section [ALARM] of the settings file,
// read at start and never written:
//
//     [ALARM]
//     Unit=kn
//     MeanAbove=25
//     GustAbove=35
//     ShiftDegrees=30
//     ShiftMinutes=5
//     NoReadingSeconds=20
//     Command=/usr/local/bin/wind-alarm --loud
//     ExampleMode=False
//
// Every key may be left out; an alarm whose key is missing is off.
struct WindAlarmConfig
{
    // The unit the speeds were written in, for showing values as the user
    // wrote them; the thresholds below are already in m/s.
    SpeedUnit unit = SpeedUnit::Knots;
    std::optional<double> meanAboveMetresPerSecond;
    std::optional<double> gustAboveMetresPerSecond;
    std::optional<double> shiftDegrees;
    // Used only with shiftDegrees.
    int shiftMinutes = 5;
    std::optional<int> noReadingSeconds;
    // The program and its first arguments, split as QProcess::splitCommand
    // splits: blanks separate, double quotes group, and a double quote is
    // written as three of them inside a quoted argument. No shell sees it.
    QStringList command;
    // Made-up wind raises nothing unless asked for, when trying a setup.
    bool exampleModeRaises = false;

    bool anyAlarmOn() const
    {
        return meanAboveMetresPerSecond || gustAboveMetresPerSecond || shiftDegrees
            || noReadingSeconds;
    }
};

using WindAlarmSettings = SectionSettings<WindAlarmConfig>;

// The section's name in the settings file.
inline constexpr char WindAlarmSectionName[] = "ALARM";

// Reads the section. A setting that cannot be used turns its own alarm off
// (Unit both speed alarms, Command the command, ExampleMode example mode's
// alarms) and leaves the others on; a key the section does not have turns
// nothing off. Throws AppError (FileError) only when the settings file
// cannot be read.
WindAlarmSettings readWindAlarmSettings(const SettingsFile &file);
