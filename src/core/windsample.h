// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

// Where an accepted reading came from.
enum class WindSource { Sensor, ExampleMode };

// One accepted reading: a sensor frame whose checksum matched, or one step of
// example mode. A rejected frame never becomes a sample.
struct WindSample
{
    // Monotonic arrival time in milliseconds; only differences between
    // samples mean anything.
    qint64 timeMs = 0;
    // The direction as the display normalised it, unrounded (it may lie
    // slightly outside [0, 360) after the display's single correction).
    double directionDegrees = 0;
    // The speed as the display shows it: never negative.
    double speedMetresPerSecond = 0;
};

// Milliseconds on a clock that never jumps, for WindSample::timeMs.
qint64 monotonicMilliseconds();
