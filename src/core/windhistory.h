#pragma once

#include <QtGlobal>

#include <deque>
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

    qsizetype size() const { return qsizetype(m_points.size()); }

private:
    std::deque<WindHistoryPoint> m_points;
};
