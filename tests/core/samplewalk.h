// SPDX-License-Identifier: MIT
#pragma once

#include "core/windsample.h"

#include <QtGlobal>

#include <vector>

// How a generated run of samples behaves.
struct WalkShape
{
    qint64 shortestIntervalMs = 250;
    qint64 longestIntervalMs = 250;
    // The chance, per sample, of a silence of up to longestGapMs before it.
    double gapChance = 0;
    qint64 longestGapMs = 0;
    // The chance, per sample, that a calm spell of 1 to 15 minutes begins.
    double calmChance = 0;
    // The chance that a sample shares the previous one's millisecond.
    double sameMillisecondChance = 0;
    // The largest step of the direction between samples, in degrees.
    double largestTurnDegrees = 20;
};

// A reproducible random walk of direction and speed from startMs for
// durationMs. The direction wanders across north and stays in [0, 360).
std::vector<WindSample> randomWalk(quint32 seed, qint64 startMs, qint64 durationMs,
                                   const WalkShape &shape);
