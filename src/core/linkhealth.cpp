// SPDX-License-Identifier: MIT
#include "core/linkhealth.h"

#include <algorithm>

void LinkHealth::add(qint64 timeMs)
{
    m_lastMinute.push_back(timeMs);
    m_recent[m_recentNext] = timeMs;
    m_recentNext = (m_recentNext + 1) % medianOfLastSamples;
    m_recentCount = std::min(m_recentCount + 1, medianOfLastSamples);
}

LinkHealthReport LinkHealth::report(qint64 nowMs)
{
    while (!m_lastMinute.empty() && m_lastMinute.front() <= nowMs - rateSpanMs)
        m_lastMinute.pop_front();

    LinkHealthReport report;
    report.samplesLastMinute = qint64(m_lastMinute.size());
    report.samplesPerSecond = report.samplesLastMinute * 1000.0 / rateSpanMs;
    report.staleAfterMs
        = std::max(double(staleAfterAtLeastMs), staleIntervalsFactor * medianIntervalMs());
    if (m_recentCount > 0) {
        const qint64 last
            = m_recent[(m_recentNext + medianOfLastSamples - 1) % medianOfLastSamples];
        report.msSinceLastSample = nowMs - last;
        report.stale = *report.msSinceLastSample >= report.staleAfterMs;
    }
    return report;
}

double LinkHealth::medianIntervalMs() const
{
    if (m_recentCount < 2)
        return 0;
    std::array<qint64, medianOfLastSamples - 1> intervals{};
    const int oldest = (m_recentNext + medianOfLastSamples - m_recentCount) % medianOfLastSamples;
    const int count = m_recentCount - 1;
    for (int i = 0; i < count; ++i) {
        intervals[i] = m_recent[(oldest + i + 1) % medianOfLastSamples]
            - m_recent[(oldest + i) % medianOfLastSamples];
    }
    const auto begin = intervals.begin();
    const auto middle = begin + count / 2;
    std::nth_element(begin, middle, begin + count);
    if (count % 2 == 1)
        return double(*middle);
    // An even count: the mean of the two middle intervals; the lower one is
    // the largest of the lower half.
    const qint64 lower = *std::max_element(begin, middle);
    return (lower + *middle) / 2.0;
}
