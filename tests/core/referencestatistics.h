// SPDX-License-Identifier: MIT
#pragma once

#include "core/windsample.h"

#include <optional>
#include <vector>

// The wind statistics of one period computed straight from their
// definitions, for the tests to hold the engine and wind-stats against.
// Nothing is kept between calls and nothing slides: every figure is
// summed afresh from the samples.
struct ReferencePeriod
{
    qint64 sampleCount = 0;
    qint64 coveredMs = 0;
    double meanSpeed = 0;
    bool calm = false;
    std::optional<double> meanDirection;
    std::optional<double> gust;
};

// The period [startMs, endMs) of the first knownCount samples (all when
// negative), in time order: a live view knows no samples after now.
ReferencePeriod referencePeriod(const std::vector<WindSample> &samples, qint64 startMs,
                                qint64 endMs, qsizetype knownCount = -1);
