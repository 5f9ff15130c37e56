// SPDX-License-Identifier: MIT
#include "periodtable.h"

#include "core/beaufort.h"
#include "core/utctime.h"
#include "core/windperiod.h"
#include "fixednumber.h"

namespace {

void appendDirection(QByteArray &out, double degrees)
{
    // A direction in [0, 360) may round up to 360.00, which is 0.00.
    QByteArray text;
    appendFixed(text, degrees, 2);
    out.append(text == "360.00" ? QByteArrayLiteral("0.00") : text);
}

void appendRow(QByteArray &out, const WindPeriodStatistics &period)
{
    appendUtcTimestamp(out, period.endMs);
    out.append(',');
    out.append(QByteArray::number(period.sampleCount));
    out.append(',');
    appendFixed(out, period.coverage() * 100, 2);
    out.append(',');
    appendFixed(out, period.meanSpeed, 2);
    out.append(',');
    if (period.calm)
        out.append("calm");
    else if (period.meanDirection)
        appendDirection(out, *period.meanDirection);
    out.append(',');
    appendFixed(out, period.gust.value_or(0), 2);
    out.append(',');
    appendFixed(out, kmhToBeaufort(period.meanSpeed * 3.6), 1);
    out.append('\n');
}

qint64 alignedEnd(qint64 timeMs, qint64 periodMs)
{
    const qint64 quotient = timeMs / periodMs;
    const qint64 start = (quotient * periodMs > timeMs ? quotient - 1 : quotient) * periodMs;
    return start + periodMs;
}

} // namespace

PeriodTable::PeriodTable(qint64 periodMs)
    : m_period(periodMs)
{ }

void PeriodTable::add(const WindSample &sample, QByteArray &out)
{
    // The same sliding period as the live view's, moved a whole period at a
    // time: [end - period, end).
    const qint64 periodMs = m_period.lengthMs();
    if (!m_hasSample) {
        m_endMs = alignedEnd(sample.timeMs, periodMs);
        m_period.advanceTo(m_endMs);
        m_hasSample = true;
    } else if (sample.timeMs >= m_endMs) {
        // The sample that ends a period may cover its last part.
        appendRow(out, m_period.statistics(sample.timeMs));
        m_endMs = alignedEnd(sample.timeMs, periodMs);
        m_period.advanceTo(m_endMs);
    }
    m_period.add(sample);
}

void PeriodTable::finish(QByteArray &out)
{
    if (m_hasSample)
        appendRow(out, m_period.statistics());
}
