// SPDX-License-Identifier: MIT
#include "core/gusttracker.h"

#include "core/windperiodstatistics.h"

#include <algorithm>

void GustTracker::add(qint64 timeMs, double speed)
{
    if (m_newest && timeMs > m_newest->timeMs)
        keepFinalMean(*m_newest);

    while (!m_recentTimes.empty() && m_recentTimes.front() <= timeMs - WindRules::gustSpanMs) {
        m_recentTimes.pop_front();
        m_recentSpeeds.popOldest();
    }
    m_recentTimes.push_back(timeMs);
    m_recentSpeeds.push({speed, 0, 0});
    m_newest = TimedMean{timeMs, m_recentSpeeds.total().speed / m_recentSpeeds.size()};
}

void GustTracker::advanceTo(qint64 startMs)
{
    m_startMs = startMs;
    m_hasStart = true;
    while (!m_maxima.empty() && m_maxima.front().timeMs < startMs)
        m_maxima.pop_front();
}

std::optional<double> GustTracker::gust() const
{
    std::optional<double> gust;
    if (!m_maxima.empty())
        gust = m_maxima.front().mean;
    if (m_newest && (!m_hasStart || m_newest->timeMs >= m_startMs))
        gust = std::max(gust.value_or(m_newest->mean), m_newest->mean);
    return gust;
}

void GustTracker::keepFinalMean(const TimedMean &mean)
{
    if (m_hasStart && mean.timeMs < m_startMs)
        return;
    while (!m_maxima.empty() && m_maxima.back().mean <= mean.mean)
        m_maxima.pop_back();
    m_maxima.push_back(mean);
}
