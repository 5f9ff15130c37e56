// SPDX-License-Identifier: MIT
#include "core/truewind.h"

#include "core/winddirection.h"

#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double RadiansPerDegree = Pi / 180;

} // namespace

TrueWindOffBow trueWindOffBow(double apparentAngleDegrees, double apparentSpeed, double boatSpeed)
{
    const double angle = apparentAngleDegrees * RadiansPerDegree;
    const double x = apparentSpeed * std::cos(angle) - boatSpeed;
    const double y = apparentSpeed * std::sin(angle);
    return {std::hypot(x, y), std::atan2(y, x) / RadiansPerDegree};
}

double trueWindDirection(double headingDegrees, double trueAngleOffBowDegrees)
{
    return wrappedDegrees(headingDegrees + trueAngleOffBowDegrees);
}
