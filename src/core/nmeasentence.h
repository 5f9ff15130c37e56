// SPDX-License-Identifier: MIT
#pragma once

#include "core/windspeed.h"

#include <QByteArray>

// NMEA 0183 sentences that carry the wind to chartplotters and boat servers.
// Each builder gives the whole sentence, from '$' to CR LF, ready to be
// written in one piece. A value that no sentence can state honestly (not
// finite, a negative or absurd speed) gives an empty array instead of a
// malformed or clamped sentence: the caller decides what to send in its
// place.

// The longest sentence the standard allows, '$' and CR LF included.
constexpr int NmeaMaxSentenceLength = 82;

// Speeds above this are a broken sensor or a broken frame, not wind (the
// strongest gust ever measured was near 113 m/s). The bound also keeps every
// speed field at six characters or fewer, far inside the length limit.
constexpr double NmeaMaxSpeedMetresPerSecond = MaxReadableMetresPerSecond;

// How an MWV sentence's angle is measured: relative to the bow or the
// sensor's mark (R), or the true wind's angle off the bow (T).
enum class NmeaMwvReference { Relative, True };

// The letter of the unit in an MWV sentence: N, M or K.
char nmeaUnitLetter(SpeedUnit unit);

// The XOR of every byte of the text between '$' and '*'.
quint8 nmeaChecksum(const QByteArray &body);

// "$" + body + "*hh" + CR LF, hh in upper-case hexadecimal.
QByteArray nmeaSentence(const QByteArray &body);

// A direction in tenths of a degree, 0 to 3599: any finite angle is brought
// into [0, 360) and rounded to the tenth, and a value that rounds up to 360
// becomes 0, so "360.0" can never be printed. -1 when the angle is not finite.
int nmeaAngleTenths(double degrees);

// "$WIMWV,<angle>,R,<speed>,<unit>,A*hh": the wind relative to the sensor's
// mark (or, with True, "T": the true wind's angle off the bow), speed in the chosen unit, converted
// and rounded as the main window's readouts are (knots through the display's km/h and 0.539957), so
// that a chartplotter and the window agree to the tenth. Empty when the direction is not finite or
// the speed is not within 0 to NmeaMaxSpeedMetresPerSecond.
QByteArray nmeaMwvSentence(double directionDegrees, double speedMetresPerSecond, SpeedUnit unit,
                           NmeaMwvReference reference = NmeaMwvReference::Relative);

// "$WIMWV,,R,,<unit>,V*hh" ("T" with True): the wind is unknown. It carries the configured
// unit letter, so that a listener sees one unit throughout and the default
// (knots) reads "$WIMWV,,R,,N,V"; with no speed the letter states nothing.
QByteArray nmeaMwvVoidSentence(SpeedUnit unit,
                               NmeaMwvReference reference = NmeaMwvReference::Relative);

// "$WIMWD,<dir>,T,,M,<knots>,N,<m/s>,M*hh": the direction as true north, no
// magnetic direction. Empty under the same conditions as the MWV builder.
QByteArray nmeaMwdSentence(double directionDegrees, double speedMetresPerSecond);
