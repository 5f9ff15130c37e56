// SPDX-License-Identifier: MIT
#include "core/windhistory.h"

#include <algorithm>

void WindHistory::add(const WindHistoryPoint &point)
{
    m_points.push_back(point);
    while (m_points.front().timeMs <= point.timeMs - keptMs)
        m_points.pop_front();
}

std::pair<WindHistory::Iterator, WindHistory::Iterator> WindHistory::range(qint64 nowMs,
                                                                           qint64 spanMs) const
{
    const auto atOrBefore = [](const WindHistoryPoint &point, qint64 timeMs) {
        return point.timeMs <= timeMs;
    };
    const auto first
        = std::lower_bound(m_points.begin(), m_points.end(), nowMs - spanMs, atOrBefore);
    return {first, std::lower_bound(first, m_points.end(), nowMs, atOrBefore)};
}

std::vector<WindHistoryPoint> WindHistory::points(qint64 nowMs, qint64 spanMs) const
{
    std::vector<WindHistoryPoint> points;
    const auto [first, last] = range(nowMs, spanMs);
    points.reserve(std::size_t(std::distance(first, last)));
    forEachPoint(nowMs, spanMs,
                 [&points](const WindHistoryPoint &point) { points.push_back(point); });
    return points;
}
