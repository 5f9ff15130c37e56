// SPDX-License-Identifier: MIT
#pragma once

#include "core/nmeafields.h"
#include "core/windreading.h"

#include <vector>

// NMEA 0183 sentences that give the boat's own motion, which true wind needs
// besides the apparent wind (core/truewind.h):
//
//     $IIVHW,245.1,T,243.7,M,5.6,N,10.4,K*hh
//            true heading, magnetic heading, speed through water in knots,
//            in km/h
//     $GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,A*hh
//            course over ground true and magnetic, speed over ground in
//            knots, in km/h, mode (N: not valid)
//     $GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*hh
//            time, status (A valid, V void), position, speed over ground in
//            knots, course, date, variation
//     $HEHDT,274.1,T*hh                          true heading
//     $HCHDG,101.1,2.0,E,7.1,W*hh
//            magnetic sensor heading, deviation, its side, variation, its
//            side: true heading = sensor heading + deviation + variation,
//            east counting positive
//
// Each reader appends one Motion event for each value the sentence gives in
// range, in metres per second or degrees from true north, and nothing for a
// value that is missing, unreadable or out of range: a heading outside 0 to
// 360, a speed below 0 or above NmeaMaxBoatSpeedMetresPerSecond. The fields
// are those after the address.

// Faster than any boat whose wind this shows; a log or a GPS reporting more
// is broken, and its speed would turn the apparent wind into nonsense.
inline constexpr double NmeaMaxBoatSpeedKnots = 50;
inline constexpr double NmeaMaxBoatSpeedMetresPerSecond
    = NmeaMaxBoatSpeedKnots * NmeaMetresPerSecondPerKnot;

// Speed through water (knots, else km/h) and the true heading.
void readNmeaVhw(const NmeaFields &fields, std::vector<WindLineEvent> &events);
// Speed over ground (knots, else km/h), unless the mode says not valid.
void readNmeaVtg(const NmeaFields &fields, std::vector<WindLineEvent> &events);
// Speed over ground, with status A only.
void readNmeaRmc(const NmeaFields &fields, std::vector<WindLineEvent> &events);
// The true heading.
void readNmeaHdt(const NmeaFields &fields, std::vector<WindLineEvent> &events);
// The true heading, only when the variation is there: the magnetic heading
// alone is not a true one.
void readNmeaHdg(const NmeaFields &fields, std::vector<WindLineEvent> &events);
