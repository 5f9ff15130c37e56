// SPDX-License-Identifier: MIT
#pragma once

#include "core/windreading.h"

// What the settings file's [SENSOR] section corrects in every reading of a
// live input, before anything shows, records or shares it: a vane mounted
// off north (or off the bow), and a cup anemometer that reads low or high.
// Example mode is never corrected.
struct WindCorrections
{
    // Added to every direction, -180 to 180; the sum is wrapped into
    // [0, 360).
    double directionOffsetDegrees = 0;
    // Multiplies every speed, 0.5 to 2.0.
    double speedFactor = 1;

    bool isNone() const { return directionOffsetDegrees == 0 && speedFactor == 1; }
};

// The ranges the section accepts.
inline constexpr double MaxDirectionOffsetDegrees = 180;
inline constexpr double MinSpeedFactor = 0.5;
inline constexpr double MaxSpeedFactor = 2.0;

// The reading as the corrections make it: the offset added to the direction
// and the sum wrapped into [0, 360), the speed multiplied by the factor; a
// value the reading lacks stays missing, and its kind and sentence stay. With
// no correction the reading is returned as it came, so that an input without
// the section shows exactly what it always showed. Throws AppError only for
// a value that is not finite, which no reader gives.
WindReading correctedReading(const WindReading &reading, const WindCorrections &corrections);

// The offset that makes a direction reported as given (uncorrected) read 0:
// the vane points at true north (or at the bow) now. In [-180, 180), rounded
// to a millionth of a degree so that the settings file never holds the
// noise of a wrapped difference. Throws AppError when the direction is not
// finite.
double zeroingDirectionOffset(double reportedDirectionDegrees);
