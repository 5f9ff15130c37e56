// SPDX-License-Identifier: MIT
#include "core/windfigures.h"

#include "core/windspeed.h"

#include <QByteArray>

namespace {

// The whole number the "0" format writes, as a number.
double roundedToWhole(double value)
{
    return QByteArray::number(value, 'f', 0).toDouble();
}

void computeDirection(WindFigures &figures)
{
    figures.directionDegrees = normalizedAngle(figures.directionDegrees);
    figures.shownDegrees = roundedToWhole(figures.directionDegrees);
    // The point, unlike the readout, follows the unrounded angle.
    figures.compassPoint = compassPointOf(figures.directionDegrees);
}

void computeSpeed(WindFigures &figures)
{
    if (figures.speedMetresPerSecond < 0)
        figures.speedMetresPerSecond = 0;
    const double kmh = metresPerSecondToKmh(figures.speedMetresPerSecond);
    figures.kmh = roundedToTenths(kmh);
    figures.barTopTwips = barTopTwips(kmh);
    figures.mph = roundedToTenths(kmhToMph(kmh));
    figures.knots = roundedToTenths(kmhToKnots(kmh));

    const double beaufort = kmhToBeaufort(*figures.kmh);
    figures.beaufort = beaufort;
    for (int box = 0; box < ConditionBoxCount; ++box)
        figures.conditionRows[size_t(box)] = conditionRow(ConditionBox(box), beaufort);
}

} // namespace

WindFigures windFigures(double directionDegrees, double speedMetresPerSecond)
{
    WindFigures figures;
    figures.directionDegrees = directionDegrees;
    figures.speedMetresPerSecond = speedMetresPerSecond;
    try {
        computeDirection(figures);
        computeSpeed(figures);
    } catch (const AppError &error) {
        figures.failure = error;
    }
    return figures;
}
