// SPDX-License-Identifier: MIT
#pragma once

#include "core/windreading.h"

#include <QByteArrayView>

#include <optional>

// NMEA 0183 sentences that carry the wind, as wind instruments, boat networks
// and multiplexers send them:
//
//     $IIMWV,045.0,R,12.5,N,A*hh    angle, R or T, speed, unit N/M/K, status
//     $IIVWR,045.0,L,12.5,N,6.4,M,23.2,K*hh
//                                   angle 0-180 off the bow, L or R, speeds
//     $IIMWD,270.0,T,,M,12.5,N,6.4,M*hh
//                                   true direction, magnetic one, speeds
//
// Any two-letter talker, '$' or '!' at the start; the checksum may be left
// out. Values are passed on as read, converted to metres per second; the
// display applies its own rules to them as to the sensor's.

// Which wind the instrument's sentences are read for.
enum class NmeaWind {
    // Relative to the bow or the instrument's mark: MWV with R, VWR.
    Apparent,
    // Over the ground, from true north or the bow: MWD, MWV with T.
    True,
};

// Exact conversions: a knot is 1852 m an hour.
inline constexpr double NmeaMetresPerSecondPerKnot = 1852.0 / 3600.0;
inline constexpr double NmeaMetresPerSecondPerKmh = 1.0 / 3.6;

// What one sentence says, given from its '$' or '!' up to its line end (not
// included):
//   - a reading when it is a wind sentence of the chosen wind with a valid or
//     no checksum, status A and a readable direction and speed; a reading
//     always carries both, so that the display never joins a new direction to
//     an old speed;
//   - Rejected when it is a sentence this reader reads (for the chosen wind)
//     and its checksum does not match: the sentence is damaged, and so is
//     what it would show;
//   - nothing for everything else: other sentences, the other wind, status V,
//     empty or unreadable fields (a negative or non-numeric value, a VWR
//     angle beyond 180, an unknown unit).
// Never throws.
std::optional<WindLineEvent> readNmeaWindSentence(QByteArrayView sentence, NmeaWind wind);
