// SPDX-License-Identifier: MIT
#pragma once

#include "core/windreading.h"

#include <QByteArrayView>

#include <vector>

// NMEA 0183 sentences of a wind input, as wind instruments, boat networks
// and multiplexers send them. The wind:
//
//     $IIMWV,045.0,R,12.5,N,A*hh    angle, R or T, speed, unit N/M/K, status
//     $IIVWR,045.0,L,12.5,N,6.4,M,23.2,K*hh
//                                   angle 0-180 off the bow, L or R, speeds
//     $IIMWD,270.0,T,,M,12.5,N,6.4,M*hh
//                                   true direction, magnetic one, speeds
//
// and, for the true wind, the boat's motion (core/nmeamotionsentence.h):
// VHW, VTG, RMC, HDT, HDG.
//
// Any two-letter talker, '$' or '!' at the start; the checksum may be left
// out. Values are passed on as read, converted to metres per second; which
// of them the display shows is the wind choice's business
// (core/windchoice.h).

// Which wind the instrument's sentences are read for.
enum class NmeaWind {
    // Relative to the bow or the instrument's mark: MWV with R, VWR.
    Apparent,
    // Over the ground, from true north or the bow: MWD, MWV with T; and,
    // to work it out where the instrument does not, the apparent wind and
    // the boat's motion.
    True,
};

// What one sentence says, given from its '$' or '!' up to its line end (not
// included), appended to `events`:
//   - a reading of a wind sentence the chosen wind reads, with a valid or no
//     checksum, status A and a readable direction and speed, its kind and
//     sentence set; a reading always carries both, so that the display never
//     joins a new direction to an old speed;
//   - Rejected (its sentence set) for such a wind sentence whose checksum
//     does not match, or that holds an angle outside its range (0 to 360; 0
//     to 180 for VWR) or a speed below 0 or above MaxReadableMetresPerSecond:
//     the sentence is damaged, and so is what it would show;
//   - the boat's motion, for the true wind: one event for each value a
//     motion sentence gives (VHW may give two);
//   - nothing for everything else: other sentences, the other wind, status V,
//     empty or unreadable fields, an unknown unit, and a motion sentence that
//     is damaged or out of range (it is not used; a rejection would blank the
//     wind that another instrument measured well).
// Never throws.
void readNmeaWindSentence(QByteArrayView sentence, NmeaWind wind,
                          std::vector<WindLineEvent> &events);
