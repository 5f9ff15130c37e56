// SPDX-License-Identifier: MIT
#include "core/winddirection.h"

#include "core/apperror.h"

#include <cmath>

namespace {

struct CompassRow
{
    int from;
    int to;
    CompassPoint point;
};

// North appears twice because the rows cover 0 to 360 without wrapping.
constexpr CompassRow compassRows[] = {
    {0, 23, CompassPoint::N},     {24, 68, CompassPoint::NE},   {69, 113, CompassPoint::E},
    {114, 158, CompassPoint::SE}, {159, 203, CompassPoint::S},  {204, 248, CompassPoint::SW},
    {249, 293, CompassPoint::W},  {294, 338, CompassPoint::NW}, {339, 360, CompassPoint::N},
};

constexpr const char *compassPointNames[] = {"", "N", "NE", "E", "SE", "S", "SW", "W", "NW"};

} // namespace

double normalizedAngle(double angle)
{
    if (angle < 0)
        angle += 360;
    if (angle > 359)
        angle -= 360;
    // Checked even when no correction applied: a NaN passes both comparisons
    // untouched and would otherwise reach the readout and the compass.
    return checkedFloat(angle);
}

double wrappedDegrees(double degrees)
{
    double angle = std::fmod(checkedFloat(degrees), 360.0);
    if (angle < 0)
        angle += 360;
    // A tiny negative remainder rounds up to exactly 360 when 360 is added;
    // that is north. Adding 0.0 also turns -0 into 0.
    return angle >= 360 ? 0.0 : angle + 0.0;
}

double wrappedDegrees(double degrees, int decimals)
{
    const double angle = wrappedDegrees(degrees);
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(angle * scale) / scale;
    return rounded >= 360 || rounded == 0 ? 0.0 : rounded;
}

CompassPoint compassPointOf(double angle)
{
    CompassPoint point = CompassPoint::None;
    for (const CompassRow &row : compassRows) {
        if (angle >= row.from && angle <= row.to)
            point = row.point;
    }
    return point;
}

QString compassPointName(CompassPoint point)
{
    return QString::fromLatin1(compassPointNames[size_t(point)]);
}

QString compassPoint(double angle)
{
    return compassPointName(compassPointOf(angle));
}
