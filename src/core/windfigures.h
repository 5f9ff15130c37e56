// SPDX-License-Identifier: MIT
#pragma once

#include "core/apperror.h"
#include "core/beaufort.h"
#include "core/winddirection.h"

#include <array>
#include <optional>

// Everything the main window shows for one wind state, as numbers: the
// window turns each into text in the user's locale when it shows it, and
// the outputs share the same numbers, so that what is shown and what is
// shared never differ.
//
// The steps run in the window's order, direction first, and each result is
// kept as soon as it is computed. A value that cannot be shown (not finite,
// beyond a float for the bars) stops the steps with `failure`; what was
// computed before it is still set and is shown, what comes after it is not.
struct WindFigures
{
    // The state as the display corrects it, for the feed to keep: the
    // direction with at most one correction each way, the speed never
    // negative.
    double directionDegrees = 0;
    double speedMetresPerSecond = 0;

    // Direction: the whole degree the readout and the compass show, and the
    // compass point of the unrounded angle.
    std::optional<double> shownDegrees;
    std::optional<CompassPoint> compassPoint;

    // Speed. km/h, mph and knots each come from the speed and are rounded
    // once to tenths; the bars follow the unrounded km/h; the Beaufort value
    // and the condition texts follow the km/h as the readout shows it.
    std::optional<double> kmh;
    std::optional<float> barTopTwips;
    std::optional<double> mph;
    std::optional<double> knots;
    std::optional<double> beaufort;
    // The row of each condition box (Description, Sea, Land); none outside
    // the scale, where a box keeps what it showed.
    std::array<std::optional<int>, ConditionBoxCount> conditionRows;

    std::optional<AppError> failure;
};

WindFigures windFigures(double directionDegrees, double speedMetresPerSecond);
