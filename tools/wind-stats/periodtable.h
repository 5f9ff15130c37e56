#pragma once

#include "core/windsample.h"

#include <QByteArray>

#include <vector>

// The output of wind-stats: one CSV row of statistics for each period of
// periodMs (which divides a day) that holds samples, the periods aligned on
// multiples of periodMs since midnight UTC. The samples' times are UTC
// milliseconds, in time order.
QByteArray periodTable(const std::vector<WindSample> &samples, qint64 periodMs);

inline constexpr char periodTableHeader[]
    = "period_end_utc,samples,coverage_percent,mean_speed_ms,mean_direction_deg,gust_ms,beaufort";
