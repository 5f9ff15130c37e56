// SPDX-License-Identifier: MIT
#include "referencestatistics.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

struct Known
{
    const WindSample *samples;
    qsizetype count;

    // The index of the first sample at or after timeMs.
    qsizetype firstAtOrAfter(qint64 timeMs) const
    {
        return std::partition_point(samples, samples + count,
                                    [timeMs](const WindSample &s) { return s.timeMs < timeMs; })
            - samples;
    }

    // The mean speed of the samples j with t - 3 s < t_j <= t.
    double threeSecondMean(qint64 timeMs) const
    {
        const qsizetype first = firstAtOrAfter(timeMs - 3000 + 1);
        const qsizetype end = firstAtOrAfter(timeMs + 1);
        double sum = 0;
        for (qsizetype j = first; j < end; ++j)
            sum += samples[j].speedMetresPerSecond;
        return sum / (end - first);
    }
};

} // namespace

ReferencePeriod referencePeriod(const std::vector<WindSample> &samples, qint64 startMs,
                                qint64 endMs, qsizetype knownCount)
{
    const Known known{samples.data(), knownCount < 0 ? qsizetype(samples.size()) : knownCount};
    ReferencePeriod period;
    const qsizetype first = known.firstAtOrAfter(startMs);
    const qsizetype end = known.firstAtOrAfter(endMs);

    // Only the pairs that touch the period: from the one that enters it to
    // the one that leaves it.
    for (qsizetype b = std::max<qsizetype>(first, 1); b <= end && b < known.count; ++b) {
        const qint64 from = samples[b - 1].timeMs;
        const qint64 to = samples[b].timeMs;
        if (to - from <= 5000)
            period.coveredMs += std::max<qint64>(0, std::min(to, endMs) - std::max(from, startMs));
    }

    period.sampleCount = end - first;
    if (period.sampleCount == 0)
        return period;

    double speeds = 0;
    double sines = 0;
    double cosines = 0;
    for (qsizetype i = first; i < end; ++i) {
        speeds += samples[i].speedMetresPerSecond;
        sines += std::sin(qDegreesToRadians(samples[i].directionDegrees));
        cosines += std::cos(qDegreesToRadians(samples[i].directionDegrees));
    }
    period.meanSpeed = speeds / period.sampleCount;
    period.calm = period.meanSpeed < 0.5;
    if (!period.calm && std::sqrt(sines * sines + cosines * cosines) / period.sampleCount >= 0.01)
        period.meanDirection = std::fmod(qRadiansToDegrees(std::atan2(sines, cosines)) + 360, 360);

    for (qsizetype i = first; i < end; ++i) {
        const double mean = known.threeSecondMean(samples[i].timeMs);
        period.gust = std::max(period.gust.value_or(mean), mean);
    }
    return period;
}
