// SPDX-License-Identifier: MIT
#include "core/winddisplay.h"

#include "core/beaufort.h"
#include "core/numberformat.h"
#include "core/winddirection.h"
#include "core/windspeed.h"

#include <QByteArray>

namespace {

// The whole number the "0" format writes, as a number.
double roundedToWhole(double value)
{
    return QByteArray::number(value, 'f', 0).toDouble();
}

void showDirection(WindDisplay &shown, const QLocale &locale)
{
    shown.directionDegrees = normalizedAngle(shown.directionDegrees);
    shown.degreesText = formatWhole(shown.directionDegrees, locale);
    shown.shownDegrees = roundedToWhole(shown.directionDegrees);
    // The point, unlike the readout, follows the unrounded angle.
    shown.compassPoint = compassPoint(shown.directionDegrees);
}

void showSpeed(WindDisplay &shown, const QLocale &locale)
{
    if (shown.speedMetresPerSecond < 0)
        shown.speedMetresPerSecond = 0;
    const double kmh = metresPerSecondToKmh(shown.speedMetresPerSecond);
    shown.kmhText = formatOneDecimal(kmh, locale);
    shown.barTopTwips = barTopTwips(kmh);
    shown.mphText = formatOneDecimal(kmhToMph(kmh), locale);
    shown.knotsText = formatOneDecimal(kmhToKnots(kmh), locale);

    const double beaufort = kmhToBeaufort(roundedToTenths(kmh));
    shown.beaufort = beaufort;
    shown.beaufortText = formatBeaufort(beaufort, locale);
    shown.descriptionText = conditionText(ConditionBox::Description, beaufort);
    shown.seaText = conditionText(ConditionBox::Sea, beaufort);
    shown.landText = conditionText(ConditionBox::Land, beaufort);
}

} // namespace

WindDisplay windDisplay(double directionDegrees, double speedMetresPerSecond, const QLocale &locale)
{
    WindDisplay shown;
    shown.directionDegrees = directionDegrees;
    shown.speedMetresPerSecond = speedMetresPerSecond;
    try {
        showDirection(shown, locale);
        showSpeed(shown, locale);
    } catch (const AppError &error) {
        shown.failure = error;
    }
    return shown;
}
