// SPDX-License-Identifier: MIT
#pragma once

#include "core/metarwind.h"
#include "core/windperiod.h"
#include "core/windsample.h"

#include <QByteArray>

// The output of wind-stats --metar: for each period of periodMs (which
// divides a day) that holds samples, aligned as the statistics' periods are,
// one CSV row with the period's end, its coverage and its METAR wind group.
// A period's row is written when the first sample after it arrives, so only
// one period is held.
class MetarTable
{
public:
    explicit MetarTable(qint64 periodMs);

    // Appends to out the row of the period this sample closes, if any.
    // Throws AppError (InvalidArgument) for a sample earlier than the last.
    void add(const WindSample &sample, QByteArray &out);
    // Appends the row of the last period, if there was a sample.
    void finish(QByteArray &out);

private:
    void appendRow(QByteArray &out, std::optional<qint64> nextSampleMs) const;

    // The coverage, exactly as the statistics count it.
    WindPeriod m_period;
    MetarWindPeriod m_wind;
    qint64 m_endMs = 0;
    bool m_hasSample = false;
};

inline constexpr char metarTableHeader[] = "period_end_utc,coverage_percent,wind";
