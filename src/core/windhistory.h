// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

#include <deque>
#include <iterator>
#include <utility>
#include <vector>

// One sample as the history plots show it. Plots need no more than a float's
// seven digits, which keeps an hour at 40 samples a second near 3.5 MB.
struct WindHistoryPoint
{
    qint64 timeMs = 0;
    float directionDegrees = 0;
    float speedMetresPerSecond = 0;
    // The 2-minute mean speed at this sample (the samples of the 2 minutes up
    // to and including its millisecond).
    float twoMinuteMeanSpeed = 0;
    // The 10-minute gust as it stood at this sample.
    float tenMinuteGust = 0;
};

// The last hour of samples for the history plots.
class WindHistory
{
public:
    static constexpr qint64 keptMs = 60 * 60 * 1000;

    // Points come in time order. The means of an earlier point in the same
    // millisecond are brought up to date by this one when read.
    void add(const WindHistoryPoint &point);

    // The points with nowMs - spanMs < t <= nowMs, oldest first.
    std::vector<WindHistoryPoint> points(qint64 nowMs, qint64 spanMs) const;
    // The same points handed one by one to visit(const WindHistoryPoint &),
    // without a copy of the span: an hour at 40 Hz is 3.3 MB.
    template<class Visit> void forEachPoint(qint64 nowMs, qint64 spanMs, Visit &&visit) const;

    qsizetype size() const { return qsizetype(m_points.size()); }

private:
    using Iterator = std::deque<WindHistoryPoint>::const_iterator;
    std::pair<Iterator, Iterator> range(qint64 nowMs, qint64 spanMs) const;

    std::deque<WindHistoryPoint> m_points;
};

template<class Visit>
void WindHistory::forEachPoint(qint64 nowMs, qint64 spanMs, Visit &&visit) const
{
    const auto [first, last] = range(nowMs, spanMs);
    for (auto point = first; point != last;) {
        // Every sample of one millisecond counts in the means of each of
        // them, so all share the means computed after the last of them. No
        // point after the range shares a millisecond with one in it.
        auto sameMillisecondEnd = std::next(point);
        while (sameMillisecondEnd != last && sameMillisecondEnd->timeMs == point->timeMs)
            ++sameMillisecondEnd;
        const WindHistoryPoint &newest = *std::prev(sameMillisecondEnd);
        for (; point != sameMillisecondEnd; ++point) {
            WindHistoryPoint shown = *point;
            shown.twoMinuteMeanSpeed = newest.twoMinuteMeanSpeed;
            shown.tenMinuteGust = newest.tenMinuteGust;
            visit(shown);
        }
    }
}
