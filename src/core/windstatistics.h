// SPDX-License-Identifier: MIT
#pragma once

#include "core/linkhealth.h"
#include "core/windhistory.h"
#include "core/windperiod.h"
#include "core/windperiodstatistics.h"

#include <QtGlobal>

#include <utility>
#include <vector>

struct WindSample;

// Everything the statistics show at one moment.
struct WindStatisticsSnapshot
{
    // The last 2 and 10 minutes up to and including now:
    // now - P < t <= now, that is the period [now + 1 - P, now + 1).
    WindPeriodStatistics twoMinutes;
    // Its gust is the 10-minute gust.
    WindPeriodStatistics tenMinutes;
    LinkHealthReport link;
};

// The statistics engine: fed with every accepted sample in time order, it
// gives the mean wind, the gust, the coverage and the link's health as of
// any later time, and keeps the last hour for the history plots. Adding a
// sample and taking a snapshot cost O(1) amortised; no period is rescanned.
class WindStatistics
{
public:
    static constexpr qint64 twoMinutesMs = 2 * 60 * 1000;
    static constexpr qint64 tenMinutesMs = 10 * 60 * 1000;

    WindStatistics();

    // Throws AppError (InvalidArgument) for a sample earlier than the last
    // one or with a direction or speed that is not a finite number; the
    // engine is then left as it was.
    void addSample(const WindSample &sample);

    // The statistics as of nowMs, on the samples' clock.
    // Throws AppError (InvalidArgument) when nowMs is before the last
    // sample.
    WindStatisticsSnapshot snapshot(qint64 nowMs);

    // The plots' points of the last spanMs (up to an hour) before nowMs:
    // nowMs - spanMs < t <= nowMs.
    std::vector<WindHistoryPoint> history(qint64 nowMs, qint64 spanMs) const;
    // The same points handed one by one to visit(const WindHistoryPoint &).
    template<class Visit> void forEachHistoryPoint(qint64 nowMs, qint64 spanMs, Visit &&visit) const
    {
        m_history.forEachPoint(nowMs, spanMs, std::forward<Visit>(visit));
    }

private:
    void checkNotBeforeLastSample(qint64 timeMs, const char *what) const;

    WindPeriod m_twoMinutes;
    WindPeriod m_tenMinutes;
    LinkHealth m_link;
    WindHistory m_history;
    qint64 m_lastSampleMs = 0;
    bool m_hasSample = false;
};
