// SPDX-License-Identifier: MIT
#pragma once

#include "core/windspeed.h"

#include <QString>

#include <optional>

class QLocale;
struct WindPeriodStatistics;

// The texts the history window shows for the statistics, each computed from
// the engine's figures alone, in the user's locale.

// The point of a 16-point compass: N, NNE, NE, ... NNW, each 22.5° wide and
// centred on its direction, so N runs from 348.75° up to (not including)
// 11.25°. Any finite angle is brought into [0, 360) first.
QString sixteenPointCompass(double degrees);

// A mean direction in whole degrees in [0, 360): 359.6 rounds to 360, which
// is north again and reads 0.
int wholeCompassDegrees(double degrees);

// The covered share of the period in whole percent, rounded down so that a
// period just short of the 66 % it needs never reads 66.
qint64 coveragePercent(const WindPeriodStatistics &period);

// A speed in m/s converted to the unit, one decimal: "23.4".
QString speedFigure(double metresPerSecond, SpeedUnit unit, const QLocale &locale);
// The unit as a screen reader should say it: "kilometres per hour".
QString spokenUnit(SpeedUnit unit);
// The unit as the window prints it: "km/h".
QString unitSymbol(SpeedUnit unit);

// The covered share as coveragePercent() counts it: "65 %".
QString coverageFigure(const WindPeriodStatistics &period, const QLocale &locale);

// What the window shows for a figure of a period that is covered too little.
QString notShownFigure();

// The period's mean direction: "355° N", "Calm", or "—" when the directions
// cancel out. The degrees are whole, and a direction that rounds to 360 reads
// 0.
QString directionFigure(const WindPeriodStatistics &period, const QLocale &locale);
// The same for a screen reader: "355 degrees, N", "calm", "variable: the
// directions cancel out".
QString spokenDirection(const WindPeriodStatistics &period, const QLocale &locale);

// The Beaufort value of a mean speed in m/s, as the main window writes it:
// "5", "0.1".
QString beaufortFigure(double metresPerSecond, const QLocale &locale);

// A count and its share of a total, "1234 (99.2 %)"; the share is left out
// while the total is 0.
QString countWithShare(qint64 count, qint64 total, const QLocale &locale);

// Seconds since the last sample, one decimal; "never" before the first.
QString secondsSinceFigure(std::optional<qint64> ms, const QLocale &locale);
