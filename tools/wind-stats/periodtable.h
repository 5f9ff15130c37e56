// SPDX-License-Identifier: MIT
#pragma once

#include "core/windperiod.h"
#include "core/windsample.h"

#include <QByteArray>

// The output of wind-stats: one CSV row of statistics for each period of
// periodMs (which divides a day) that holds samples, the periods aligned on
// multiples of periodMs since midnight UTC. Samples come one at a time in
// time order (UTC milliseconds), and a period's row is written as soon as
// the first sample after it arrives, so only one period is ever held.
class PeriodTable
{
public:
    explicit PeriodTable(qint64 periodMs);

    // Appends to out the row of the period this sample closes, if any.
    // Throws AppError (InvalidArgument) for a sample earlier than the last.
    void add(const WindSample &sample, QByteArray &out);
    // Appends the row of the last period, if there was a sample.
    void finish(QByteArray &out);

private:
    WindPeriod m_period;
    qint64 m_endMs = 0;
    bool m_hasSample = false;
};

inline constexpr char periodTableHeader[]
    = "period_end_utc,samples,coverage_percent,mean_speed_ms,mean_direction_deg,gust_ms,beaufort";
