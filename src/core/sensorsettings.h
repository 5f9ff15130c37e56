// SPDX-License-Identifier: MIT
#pragma once

#include "core/sectionreader.h"
#include "core/windcorrections.h"

class SettingsFile;

// The optional [SENSOR] section of the settings file, read at start:
//
//     [SENSOR]
//     DirectionOffset=-10      ; degrees, -180 to 180, added to every direction
//     SpeedFactor=1.1          ; 0.5 to 2.0, multiplying every speed
//
// A number is written with a point, whatever the locale.
inline constexpr char SensorSectionName[] = "SENSOR";

// No correction without the section. Corrections that are only partly right
// would be wrong readings, so any setting that cannot be used (a key the
// section does not have too) leaves every reading uncorrected, and is told.
// Throws AppError (FileError) only when the settings file cannot be read.
SectionSettings<WindCorrections> readSensorSection(const SettingsFile &file);

// The text DirectionOffset is written as: with a point, whatever the locale,
// and the fewest digits that read back as exactly this value ("-45.3").
QString directionOffsetText(double degrees);

// Writes DirectionOffset into the first [SENSOR] section, in place of the
// value there or as a new line (the section added at the file's end), and
// keeps every other line as it is; the file is replaced in one step. Read
// the section again for the corrections that now apply. Throws AppError:
// InvalidArgument for an offset that is not a number from -180 to 180,
// FileError when the file cannot be read or replaced.
void writeDirectionOffset(SettingsFile &file, double degrees);
