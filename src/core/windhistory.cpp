#include "windhistory.h"

#include <algorithm>

void WindHistory::add(const WindHistoryPoint &point)
{
    m_points.push_back(point);
    while (m_points.front().timeMs <= point.timeMs - keptMs)
        m_points.pop_front();
}

std::vector<WindHistoryPoint> WindHistory::points(qint64 nowMs, qint64 spanMs) const
{
    const auto atOrBefore = [](const WindHistoryPoint &point, qint64 timeMs) {
        return point.timeMs <= timeMs;
    };
    const auto first
        = std::lower_bound(m_points.begin(), m_points.end(), nowMs - spanMs, atOrBefore);
    const auto last = std::lower_bound(first, m_points.end(), nowMs, atOrBefore);
    std::vector<WindHistoryPoint> points(first, last);

    // Every sample of one millisecond counts in the means of each of them, so
    // all share the means computed after the last of them. No point after
    // the range shares a millisecond with one in it.
    for (std::size_t i = points.size(); i-- > 1;) {
        if (points[i - 1].timeMs == points[i].timeMs) {
            points[i - 1].twoMinuteMeanSpeed = points[i].twoMinuteMeanSpeed;
            points[i - 1].tenMinuteGust = points[i].tenMinuteGust;
        }
    }
    return points;
}
