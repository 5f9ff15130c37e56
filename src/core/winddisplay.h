// SPDX-License-Identifier: MIT
#pragma once

#include "core/apperror.h"

#include <QString>

#include <optional>

class QLocale;

// Everything the main window shows for one wind state, worked out from the
// numbers alone: the window only hands each value to its control.
//
// The steps run in the window's order, direction first, and each result is
// kept as soon as it is computed. A value that cannot be shown (not finite,
// beyond a float for the bars) stops the steps with `failure`; what was
// computed before it is still set and is shown, what comes after it is not.
struct WindDisplay
{
    // The state as the display corrects it, for the window to keep: the
    // direction with at most one correction each way, the speed never
    // negative.
    double directionDegrees = 0;
    double speedMetresPerSecond = 0;

    // Direction: the readout in whole degrees, the same whole number for the
    // compass, and the compass point of the unrounded angle.
    std::optional<QString> degreesText;
    std::optional<double> shownDegrees;
    std::optional<QString> compassPoint;

    // Speed. km/h, mph and knots each come from the speed and are rounded
    // once; the bars follow the unrounded km/h; the Beaufort value and the
    // condition texts follow the km/h as the readout shows it.
    std::optional<QString> kmhText;
    std::optional<float> barTopTwips;
    std::optional<QString> mphText;
    std::optional<QString> knotsText;
    std::optional<double> beaufort;
    std::optional<QString> beaufortText;
    // Nothing outside the scale: a box then keeps what it showed.
    std::optional<QString> descriptionText;
    std::optional<QString> seaText;
    std::optional<QString> landText;

    std::optional<AppError> failure;
};

// Numbers are written in the locale, without group separators.
WindDisplay windDisplay(double directionDegrees, double speedMetresPerSecond,
                        const QLocale &locale);
