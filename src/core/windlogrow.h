// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// One row of the data log: one sample, stamped with the UTC time it arrived.
//
//     time_utc,direction_deg,speed_ms,source
//     2026-12-07T10:00:00.250Z,355.5,12.25,COM3
//
// Numbers carry a point whatever the user's locale and never an exponent.
// The direction is written in [0, 360) to the hundredth (wrappedDegrees),
// whatever the window stored: the display corrects an angle only once each
// way. The speed is written to at most four decimals, trailing zeros dropped:
// 12.25 as a frame gives it, 6.8987 for 13.41 knots.
//
// A row holds a time in the years 1970 to 2200 and a speed from 0 to
// NmeaMaxSpeedMetresPerSecond: anything else is a clock that was never set,
// a broken sensor or a corrupted file, and one such row must not spoil the
// statistics of every other.
struct WindLogRow
{
    qint64 utcMs = 0; // milliseconds since 1970-01-01T00:00:00Z
    double directionDegrees = 0;
    double speedMetresPerSecond = 0;
    // "example"; the serial port the wind came in on, as "COM3"; or "tcp" or
    // "udp" for a network input, whose address the log leaves out (it may
    // change with the settings, and the source only tells the kinds apart).
    QString source;
};

inline constexpr char windLogHeader[] = "time_utc,direction_deg,speed_ms,source";

QString exampleModeSource();
QString serialPortSource(int portNumber);
QString tcpInputSource();
QString udpInputSource();

// The row's text, without a line end.
// Throws AppError (InvalidArgument) for a row that would not read back: a
// direction that is not finite, a speed outside 0 to
// NmeaMaxSpeedMetresPerSecond, a source other than the kinds above, or a
// time outside the years 1970 to 2200.
QByteArray formatWindLogRow(const WindLogRow &row);

// Reads one line (a trailing CR is allowed); nothing for anything but a
// complete row, and then *problem, when given, says what is wrong. A torn
// row is cut short, so it lacks fields or ends inside the source's name; the
// one thing a cut cannot be told from is a port number cut after a digit
// ("COM12" to "COM1"), which readers recognise by the missing line end.
std::optional<WindLogRow> parseWindLogRow(QByteArrayView line, QString *problem = nullptr);
