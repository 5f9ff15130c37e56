// SPDX-License-Identifier: MIT
#include "core/windperiod.h"

#include "core/apperror.h"
#include "core/windsample.h"

#include <QtMath>

#include <cmath>

namespace {

WindTerms termsOf(const WindSample &sample)
{
    const double radians = qDegreesToRadians(sample.directionDegrees);
    return {sample.speedMetresPerSecond, std::cos(radians), std::sin(radians)};
}

bool isCoveredGap(qint64 fromMs, qint64 toMs)
{
    return toMs - fromMs <= WindRules::longestCoveredGapMs;
}

} // namespace

std::optional<double> meanUnitVectorDirection(const WindTerms &sums, qint64 count)
{
    const double length = std::hypot(sums.north, sums.east) / count;
    if (length < WindRules::shortestMeanVector)
        return std::nullopt;
    double degrees = qRadiansToDegrees(std::atan2(sums.east, sums.north));
    if (degrees < 0)
        degrees += 360.0;
    // A tiny negative angle plus 360 rounds to 360 itself.
    if (degrees >= 360.0)
        degrees = 0.0;
    return degrees;
}

WindPeriod::WindPeriod(qint64 lengthMs)
    : m_lengthMs(lengthMs)
{ }

void WindPeriod::advanceTo(qint64 endMs)
{
    if (m_hasEnd && endMs <= m_endMs)
        return;
    m_endMs = endMs;
    m_hasEnd = true;
    dropSamplesBeforeStart();
}

void WindPeriod::dropSamplesBeforeStart()
{
    const qint64 start = startMs();
    while (!m_times.empty() && m_times.front() < start) {
        const qint64 leaving = m_times.front();
        m_times.pop_front();
        m_sums.popOldest();
        if (!m_times.empty() && isCoveredGap(leaving, m_times.front()))
            m_innerCoveredMs -= m_times.front() - leaving;
        m_lastLeftMs = leaving;
    }
    m_gust.advanceTo(start);
}

void WindPeriod::add(const WindSample &sample)
{
    const qint64 time = sample.timeMs;
    if (m_lastSampleMs && time < *m_lastSampleMs)
        throw AppError(AppError::Kind::InvalidArgument,
                       QStringLiteral("A wind sample at %1 ms came after one at %2 ms.")
                           .arg(time)
                           .arg(*m_lastSampleMs));
    if (!m_hasEnd || time >= m_endMs)
        advanceTo(time + 1);

    if (!m_times.empty() && isCoveredGap(m_times.back(), time))
        m_innerCoveredMs += time - m_times.back();
    m_times.push_back(time);
    m_sums.push(termsOf(sample));
    m_lastSampleMs = time;
    m_gust.add(time, sample.speedMetresPerSecond);
    // A sample from before the period's start (possible only when the
    // period was moved ahead of the samples) leaves it at once.
    if (time < startMs())
        dropSamplesBeforeStart();
}

double WindPeriod::meanSpeed() const
{
    return m_times.empty() ? 0.0 : m_sums.total().speed / m_sums.size();
}

WindPeriodStatistics WindPeriod::statistics(std::optional<qint64> nextSampleMs) const
{
    WindPeriodStatistics statistics;
    statistics.startMs = startMs();
    statistics.endMs = m_endMs;
    statistics.sampleCount = qint64(m_times.size());
    statistics.coveredMs = coveredMs(nextSampleMs);
    if (m_times.empty())
        return statistics;

    const WindTerms sums = m_sums.total();
    statistics.meanSpeed = sums.speed / statistics.sampleCount;
    statistics.calm = statistics.meanSpeed < WindRules::calmBelowMetresPerSecond;
    if (!statistics.calm)
        statistics.meanDirection = meanUnitVectorDirection(sums, statistics.sampleCount);
    statistics.gust = m_gust.gust();
    return statistics;
}

qint64 WindPeriod::coveredMs(std::optional<qint64> nextSampleMs) const
{
    const qint64 start = startMs();
    if (m_times.empty()) {
        // One short gap across the whole period, possible only for a period
        // of at most 5 s.
        if (m_lastLeftMs && nextSampleMs && isCoveredGap(*m_lastLeftMs, *nextSampleMs))
            return m_lengthMs;
        return 0;
    }
    qint64 covered = m_innerCoveredMs;
    if (m_lastLeftMs && isCoveredGap(*m_lastLeftMs, m_times.front()))
        covered += m_times.front() - start;
    if (nextSampleMs && isCoveredGap(m_times.back(), *nextSampleMs))
        covered += m_endMs - m_times.back();
    return covered;
}
