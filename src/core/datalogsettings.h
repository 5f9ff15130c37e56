// SPDX-License-Identifier: MIT
#pragma once

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
struct DataLogSettings
{
    // Absolute; a relative Folder is taken from the settings file's folder.
    QString folder;
    // Files dated more than this many days before today (UTC) are deleted.
    // None when KeepDays is absent: nothing is ever deleted.
    std::optional<int> keepDays;
};

// Nothing when the section or its Folder is missing: no log. Throws AppError
// (InvalidArgument) naming the file, the section and the key for a key the
// section does not have, a key with an empty value, or a KeepDays that is
// not a whole number from 0 to 100000; FileError when the settings file
// cannot be read.
std::optional<DataLogSettings> readDataLogSettings(const SettingsFile &file);
