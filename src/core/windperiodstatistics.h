// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

#include <optional>

// The limits that the wind statistics are defined with.
namespace WindRules {
// Consecutive samples further apart than this leave the time between them
// uncovered.
inline constexpr qint64 longestCoveredGapMs = 5000;
// The gust is the highest mean over this span: the samples after
// t - gustSpanMs up to and including t.
inline constexpr qint64 gustSpanMs = 3000;
// Below this mean speed (m/s) a period is calm and has no mean direction.
inline constexpr double calmBelowMetresPerSecond = 0.5;
// Below this length of the mean unit vector the directions cancel out and
// the period has no mean direction.
inline constexpr double shortestMeanVector = 0.01;
// A period covered less than this (in percent) shows no statistics.
inline constexpr int minimumCoveragePercent = 66;
} // namespace WindRules

// The statistics of one period [startMs, endMs). Times are milliseconds on
// the clock the samples were stamped with.
struct WindPeriodStatistics
{
    qint64 startMs = 0;
    qint64 endMs = 0;
    qint64 sampleCount = 0;
    // The part of the period spanned by gaps of at most 5 s between
    // consecutive samples.
    qint64 coveredMs = 0;
    // The mean of the samples' speeds in m/s; 0 for a period without samples.
    double meanSpeed = 0;
    // The mean speed is below 0.5 m/s: there is no mean direction.
    bool calm = false;
    // The direction of the mean unit vector in [0, 360); none when calm or
    // when the directions cancel out.
    std::optional<double> meanDirection;
    // The highest 3-second mean of the samples in the period; none without
    // samples.
    std::optional<double> gust;

    qint64 lengthMs() const { return endMs - startMs; }
    double coverage() const { return lengthMs() > 0 ? double(coveredMs) / lengthMs() : 0.0; }
    // Counted in whole milliseconds, so 66 % exactly is covered.
    bool isCovered() const
    {
        return coveredMs * 100 >= qint64(WindRules::minimumCoveragePercent) * lengthMs();
    }
};
