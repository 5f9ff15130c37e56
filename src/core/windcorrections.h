// SPDX-License-Identifier: MIT
#pragma once

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
