// SPDX-License-Identifier: MIT
#pragma once

#include "core/gusttracker.h"
#include "core/slidingsums.h"

#include <QString>
#include <QtGlobal>

#include <optional>
#include <vector>

// The wind group of an aviation routine weather report (METAR), such as
// "27015G25KT 240V300", made from the samples of a period: 10 minutes for
// the report, 2 minutes for the local one.
//
// - Mean speed and mean direction as the statistics define them: the mean of
//   the speeds, and the direction of the mean unit vector.
// - Direction to the nearest ten degrees, half up (275 gives 280), in three
//   figures, 360 for north (355 to below 5); 000 only for calm.
// - Speed in whole knots, half up, two figures ("05"); "P99" at 100 knots or
//   more. Calm, "00000KT", when the speed rounds to 0: no gust, no
//   variation.
// - Gust, "G" and the highest 3-second mean rounded as the speed, when that
//   mean exceeds the mean speed by 10 knots or more (both unrounded).
// - Variation over the samples of 0.5 m/s or more: the narrowest arc that
//   holds all their directions. From 60 to below 180 degrees with a mean of
//   3 knots or more, its two extremes follow the group, clockwise, each to
//   ten degrees as the direction is ("240V300", "350V050"). From 60 to below
//   180 degrees under 3 knots, or 180 degrees or more, "VRB" takes the
//   direction's place and no extremes follow. "VRB" too when the mean unit
//   vector is too short to have a direction.
// - No "marked discontinuity": the group always covers the whole period.
//
// The rules compare knots and degrees taken to a billionth first, so that
// the noise of a conversion or of a sum of unit vectors cannot tip an edge:
// a steady 355 degrees, summed as sines and cosines, comes back as
// 354.99999999999994 and must still be 360.
namespace MetarRules {
// Slower samples leave the variation alone: their vanes wander.
inline constexpr double variationFromMetresPerSecond = 0.5;
inline constexpr double variableFromDegrees = 60;
inline constexpr double variableOnlyFromDegrees = 180;
inline constexpr double extremesFromKnots = 3;
inline constexpr double gustExcessKnots = 10;
} // namespace MetarRules

// What the group is made from, in the units it states.
struct MetarWindFigures
{
    double meanKnots = 0;
    // In [0, 360); none when the mean unit vector is too short.
    std::optional<double> meanDirection;
    // The highest 3-second mean; none without one.
    std::optional<double> gustKnots;
    // The narrowest arc holding the directions of every sample of 0.5 m/s or
    // more, clockwise from fromDegrees (in [0, 360)); none without such a
    // sample.
    struct Arc
    {
        double fromDegrees = 0;
        double widthDegrees = 0;
    };
    std::optional<Arc> variation;
};

// The group for these figures: "27015G25KT 240V300", "VRB02KT",
// "00000KT".
QString metarWindGroup(const MetarWindFigures &figures);

// The figures of one period from its samples, fed one at a time in time
// order, e.g. from WindStatistics::forEachHistoryPoint. The period holds the
// samples from startMs on; samples before it (the 3 s before startMs are
// enough) count only in the 3-second means of the gust, as they do in the
// statistics. Memory: 8 bytes a sample of the period for the variation.
class MetarWindPeriod
{
public:
    explicit MetarWindPeriod(qint64 startMs);

    // Starts the next period at startMs (not before the current start):
    // forgets the samples and keeps the last 3 s for the gust's means.
    void restart(qint64 startMs);

    // Throws AppError (InvalidArgument) for a sample earlier than the last
    // or with a direction or speed that is not finite; the period is left
    // as it was.
    void add(qint64 timeMs, double directionDegrees, double speedMetresPerSecond);

    qint64 startMs() const { return m_startMs; }
    qint64 sampleCount() const { return m_sampleCount; }
    // None without a sample in the period.
    std::optional<MetarWindFigures> figures() const;
    // The group, or "" without a sample in the period.
    QString group() const;

private:
    qint64 m_startMs = 0;
    std::optional<qint64> m_lastSampleMs;
    qint64 m_sampleCount = 0;
    WindTerms m_sums;
    GustTracker m_gust;
    // Directions of the samples of 0.5 m/s or more, in billionths of a
    // degree in [0, 360e9).
    std::vector<qint64> m_directions;
};
