// SPDX-License-Identifier: MIT
#pragma once

#include "core/sectionreader.h"

#include <QString>

#include <optional>

class SettingsFile;

// Where the data log goes and how long its files are kept, from the optional
// section [LOG] of the settings file:
//
//     [LOG]
//     Folder=/path/to/folder
//     KeepDays=30
//
// The application reads the section at start and never writes it.
struct DataLogConfig
{
    // Absolute; a relative Folder is taken from the settings file's folder.
    // Empty: no log.
    QString folder;
    // Files dated more than this many days before today (UTC) are deleted.
    // None when KeepDays is absent: nothing is ever deleted.
    std::optional<int> keepDays;

    bool isOn() const { return !folder.isEmpty(); }
};

// No log when the section or its Folder is missing. A setting that cannot
// be used (KeepDays must be a whole number from 0 to 100000) turns the log
// off and is told. Throws AppError (FileError) only when the settings file
// cannot be read.
SectionSettings<DataLogConfig> readDataLogSettings(const SettingsFile &file);
