// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

#include <array>
#include <deque>
#include <optional>

// How fresh and how frequent the samples are, at a given time.
struct LinkHealthReport
{
    // Samples in the last minute (now - 60 s < t <= now), and that count per
    // second of the minute. The rate rises over the first minute of data.
    qint64 samplesLastMinute = 0;
    double samplesPerSecond = 0;
    // None before the first sample.
    std::optional<qint64> msSinceLastSample;
    // No sample for this long makes the data stale: 10 s, or 5 times the
    // median interval of the last 20 samples when that is longer.
    double staleAfterMs = 0;
    // Also true before the first sample.
    bool stale = true;
};

// Follows the times of the samples to tell whether the data are stale and
// how many arrive a second.
class LinkHealth
{
public:
    static constexpr qint64 rateSpanMs = 60000;
    static constexpr qint64 staleAfterAtLeastMs = 10000;
    static constexpr int staleIntervalsFactor = 5;
    static constexpr int medianOfLastSamples = 20;

    // Sample times come in order.
    void add(qint64 timeMs);
    // nowMs is not before the last sample's time.
    LinkHealthReport report(qint64 nowMs);

private:
    double medianIntervalMs() const;

    std::deque<qint64> m_lastMinute;
    // The last 20 sample times, a ring whose next slot is m_recentNext.
    std::array<qint64, medianOfLastSamples> m_recent{};
    int m_recentCount = 0;
    int m_recentNext = 0;
};
