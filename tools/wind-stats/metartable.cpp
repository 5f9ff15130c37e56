// SPDX-License-Identifier: MIT
#include "metartable.h"

#include "core/utctime.h"
#include "fixednumber.h"

namespace {

qint64 alignedStart(qint64 timeMs, qint64 periodMs)
{
    const qint64 quotient = timeMs / periodMs;
    return (quotient * periodMs > timeMs ? quotient - 1 : quotient) * periodMs;
}

} // namespace

MetarTable::MetarTable(qint64 periodMs)
    : m_period(periodMs)
    , m_wind(0)
{ }

void MetarTable::add(const WindSample &sample, QByteArray &out)
{
    const qint64 periodMs = m_period.lengthMs();
    if (!m_hasSample || sample.timeMs >= m_endMs) {
        // The sample that ends a period may cover its last part.
        if (m_hasSample)
            appendRow(out, sample.timeMs);
        const qint64 start = alignedStart(sample.timeMs, periodMs);
        m_endMs = start + periodMs;
        m_period.advanceTo(m_endMs);
        m_wind.restart(start);
        m_hasSample = true;
    }
    m_period.add(sample);
    m_wind.add(sample.timeMs, sample.directionDegrees, sample.speedMetresPerSecond);
}

void MetarTable::finish(QByteArray &out)
{
    if (m_hasSample)
        appendRow(out, std::nullopt);
}

void MetarTable::appendRow(QByteArray &out, std::optional<qint64> nextSampleMs) const
{
    appendUtcTimestamp(out, m_endMs);
    out.append(',');
    appendFixed(out, m_period.statistics(nextSampleMs).coverage() * 100, 2);
    out.append(',');
    out.append(m_wind.group().toLatin1());
    out.append('\n');
}
