// SPDX-License-Identifier: MIT
#pragma once

#include "core/windalarms.h"

#include <QString>

#include <vector>

class QLocale;

// What the windows and the desktop notification say of the wind alarms, in
// the user's locale. Thresholds and values come as the engine counts them
// (m/s, degrees, seconds); speeds are written in the alarm section's unit,
// to a tenth, as the user wrote the thresholds.

// What the alarm watches for: "Gust above 35 kn", "Wind shift over 30°".
QString windAlarmTitle(WindAlarmKind kind, double threshold, SpeedUnit unit, const QLocale &locale);
// The alarm's figure with its unit: "36.1 kn", "42°", "25 s".
QString windAlarmValueText(WindAlarmKind kind, double value, SpeedUnit unit, const QLocale &locale);
// The raised alarms in one sentence for a screen reader, each with its
// figure and whether the user has acknowledged it; empty when none is
// raised.
QString windAlarmsDescription(const std::vector<RaisedWindAlarm> &raised, SpeedUnit unit,
                              const QLocale &locale);
