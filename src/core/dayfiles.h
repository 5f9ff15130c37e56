// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <optional>

// The logs' files of one UTC day each: "<prefix>-YYYY-MM-DD.csv" in a folder,
// as the wind log and the alarm log keep them.

// "wind-2026-12-07.csv" for the prefix "wind" and the UTC day number (0 is
// 1970-01-01).
QString dayFileName(const QString &prefix, qint64 utcDay);

// The UTC day number a file's name gives, or nothing when it is not such a
// name of that prefix or not a real date.
std::optional<qint64> utcDayOfDayFile(const QString &prefix, const QString &name);

// A file that could not be deleted, and why.
struct DayFileRefusal
{
    QString path;
    QString reason;
};

// Deletes the prefix's files dated before oldestKeptDay; files of later days
// and other files stay. Stops at the first that cannot be deleted: one stuck
// file would otherwise speak for every other.
std::optional<DayFileRefusal> removeDayFilesBefore(const QString &folder, const QString &prefix,
                                                   qint64 oldestKeptDay);

// The last byte of the file, or nothing when it is empty or cannot be read:
// a torn last line lacks its line end.
std::optional<char> lastByteOfFile(const QString &path);
