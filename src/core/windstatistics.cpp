// SPDX-License-Identifier: MIT
#include "core/windstatistics.h"

#include "core/apperror.h"
#include "core/windsample.h"

#include <cmath>

WindStatistics::WindStatistics()
    : m_twoMinutes(twoMinutesMs)
    , m_tenMinutes(tenMinutesMs)
{ }

void WindStatistics::addSample(const WindSample &sample)
{
    // Checked before anything changes: one non-finite value would poison
    // every sum it joins.
    if (!std::isfinite(sample.directionDegrees) || !std::isfinite(sample.speedMetresPerSecond))
        throw AppError(AppError::Kind::InvalidArgument,
                       QStringLiteral("A wind sample at %1 ms has no finite direction or speed.")
                           .arg(sample.timeMs));
    checkNotBeforeLastSample(sample.timeMs, "A wind sample");

    m_twoMinutes.add(sample);
    m_tenMinutes.add(sample);
    m_link.add(sample.timeMs);
    m_lastSampleMs = sample.timeMs;
    m_hasSample = true;

    WindHistoryPoint point;
    point.timeMs = sample.timeMs;
    point.directionDegrees = float(sample.directionDegrees);
    point.speedMetresPerSecond = float(sample.speedMetresPerSecond);
    point.twoMinuteMeanSpeed = float(m_twoMinutes.meanSpeed());
    point.tenMinuteGust = float(m_tenMinutes.gust().value_or(0.0));
    m_history.add(point);
}

WindStatisticsSnapshot WindStatistics::snapshot(qint64 nowMs)
{
    checkNotBeforeLastSample(nowMs, "A statistics time");
    m_twoMinutes.advanceTo(nowMs + 1);
    m_tenMinutes.advanceTo(nowMs + 1);

    WindStatisticsSnapshot snapshot;
    snapshot.twoMinutes = m_twoMinutes.statistics();
    snapshot.tenMinutes = m_tenMinutes.statistics();
    snapshot.link = m_link.report(nowMs);
    return snapshot;
}

std::vector<WindHistoryPoint> WindStatistics::history(qint64 nowMs, qint64 spanMs) const
{
    return m_history.points(nowMs, spanMs);
}

void WindStatistics::checkNotBeforeLastSample(qint64 timeMs, const char *what) const
{
    if (m_hasSample && timeMs < m_lastSampleMs)
        throw AppError(AppError::Kind::InvalidArgument,
                       QStringLiteral("%1 at %2 ms came after a sample at %3 ms.")
                           .arg(QLatin1String(what))
                           .arg(timeMs)
                           .arg(m_lastSampleMs));
}
