// SPDX-License-Identifier: MIT
#pragma once

#include "core/slidingsums.h"

#include <QtGlobal>

#include <deque>
#include <optional>

// The highest 3-second mean speed of the samples from a start time on. The
// 3-second mean at a sample covers the samples of the 3 s up to it, whether
// or not they fall after the start.
class GustTracker
{
public:
    // Samples come in time order; several may share a millisecond.
    void add(qint64 timeMs, double speed);
    // Forgets the means of samples before startMs; starts never move back.
    void advanceTo(qint64 startMs);

    std::optional<double> gust() const;

private:
    struct TimedMean
    {
        qint64 timeMs;
        double mean;
    };

    void keepFinalMean(const TimedMean &mean);

    // The samples of the last 3 s, for the newest sample's 3-second mean.
    std::deque<qint64> m_recentTimes;
    SlidingSums m_recentSpeeds;
    // Final means of samples from the start on, each larger than every later
    // one, so the front is the largest; older, smaller means can never become
    // the gust again.
    std::deque<TimedMean> m_maxima;
    // The mean at the newest millisecond. It stays apart until a later
    // millisecond arrives, because another sample in the same millisecond
    // changes it (it counts in the 3-second mean of every sample of that
    // millisecond), and a provisional mean must not evict a true maximum.
    std::optional<TimedMean> m_newest;
    qint64 m_startMs = 0;
    bool m_hasStart = false;
};
