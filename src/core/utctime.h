// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>

#include <optional>

// UTC times as the data log writes them: milliseconds since
// 1970-01-01T00:00:00Z without leap seconds (as QDateTime counts them),
// written in ISO 8601 with milliseconds, e.g. 2026-12-07T10:00:00.250Z.
// Years run from 1 to 9999.

inline constexpr qint64 utcDayMs = 24 * 60 * 60 * 1000;

// The number of the UTC day that holds the time: 0 for 1970-01-01, -1 for
// the day before.
qint64 utcDayNumber(qint64 utcMs);
QDate utcDate(qint64 utcMs);
qint64 utcDayNumberOf(const QDate &date);

// Appends the 24 characters of the time to out.
// Throws AppError (InvalidArgument) for a time outside the years 1 to 9999.
void appendUtcTimestamp(QByteArray &out, qint64 utcMs);

// Reads exactly the form appendUtcTimestamp writes; nothing for any other
// text, including a date or time that does not exist.
std::optional<qint64> parseUtcTimestamp(QByteArrayView text);
