// SPDX-License-Identifier: MIT
#pragma once

#include "core/gusttracker.h"
#include "core/slidingsums.h"
#include "core/windperiodstatistics.h"

#include <QtGlobal>

#include <deque>
#include <optional>

struct WindSample;

// The direction of the mean unit vector of count samples whose unit vectors
// sum to sums (north = cos, east = sin): atan2(east, north) in [0, 360), or
// none when the mean vector is shorter than WindRules::shortestMeanVector.
std::optional<double> meanUnitVectorDirection(const WindTerms &sums, qint64 count);

// The statistics of a period of fixed length that slides over samples fed
// in time order. The period is always half-open, [end - length, end), in
// whole milliseconds: the live view's "last 10 minutes" at time now is the
// period that ends at now + 1 ms (the samples with now - 10 min < t <= now),
// and wind-stats' aligned period [start, end) is the same period ending at
// end. Both run through this class.
//
// Adding a sample and reading the statistics cost O(1) amortised: the sums
// slide, the gust keeps a queue of maxima and the coverage is kept as a
// running total of whole milliseconds.
class WindPeriod
{
public:
    explicit WindPeriod(qint64 lengthMs);

    qint64 lengthMs() const { return m_lengthMs; }

    // Moves the period to end at endMs; samples before endMs - length leave
    // it. A period never moves back: an earlier end is ignored.
    void advanceTo(qint64 endMs);

    // Adds the next sample. When the period ends at or before the sample's
    // time it first moves to end just after it.
    // Throws AppError (InvalidArgument) for a sample earlier than the last
    // one; the period is left as it was.
    void add(const WindSample &sample);

    double meanSpeed() const;
    std::optional<double> gust() const { return m_gust.gust(); }

    // The statistics of the period as it stands. nextSampleMs, when known,
    // is the time of the first sample at or after the period's end: the gap
    // to it, if short, covers the period's last part. wind-stats knows it;
    // the live view never does.
    WindPeriodStatistics statistics(std::optional<qint64> nextSampleMs = {}) const;

private:
    qint64 startMs() const { return m_endMs - m_lengthMs; }
    void dropSamplesBeforeStart();
    qint64 coveredMs(std::optional<qint64> nextSampleMs) const;

    qint64 m_lengthMs;
    qint64 m_endMs = 0;
    bool m_hasEnd = false;
    std::optional<qint64> m_lastSampleMs;

    // The times and sums of the samples in the period, oldest first.
    std::deque<qint64> m_times;
    SlidingSums m_sums;
    // Gaps of at most 5 s between consecutive samples that are both in the
    // period.
    qint64 m_innerCoveredMs = 0;
    // The latest sample that has left the period: the gap from it to the
    // period's first sample may cover the period's first part.
    std::optional<qint64> m_lastLeftMs;

    GustTracker m_gust;
};
