// SPDX-License-Identifier: MIT
#include "core/windspeed.h"

#include "core/apperror.h"

#include <QByteArray>

#include <cmath>
#include <limits>

double metresPerSecondToKmh(double metresPerSecond)
{
    return checkedFloat(metresPerSecond * KmhPerMetrePerSecond);
}

double kmhToMph(double kmh)
{
    return checkedFloat(kmh * MphPerKmh);
}

double kmhToKnots(double kmh)
{
    return checkedFloat(kmh * KnotsPerKmh);
}

double metresPerSecondToMph(double metresPerSecond)
{
    return kmhToMph(metresPerSecondToKmh(metresPerSecond));
}

double metresPerSecondToKnots(double metresPerSecond)
{
    return kmhToKnots(metresPerSecondToKmh(metresPerSecond));
}

double speedInUnit(double metresPerSecond, SpeedUnit unit)
{
    switch (unit) {
    case SpeedUnit::KilometresPerHour:
        return metresPerSecondToKmh(metresPerSecond);
    case SpeedUnit::Knots:
        return metresPerSecondToKnots(metresPerSecond);
    case SpeedUnit::MetresPerSecond:
        break;
    }
    return checkedFloat(metresPerSecond);
}

double roundedToTenths(double value)
{
    // The readouts' formatting rounds the exact binary value, so 0.15 (just
    // below 0.15 as a double) gives 0.1; value * 10 would round it to 0.2.
    // Formatting in the C locale and reading back takes exactly their path.
    if (!std::isfinite(value))
        return checkedFloat(value);
    return QByteArray::number(value, 'f', 1).toDouble();
}

float barTopTwips(double kmh)
{
    const double top = checkedFloat(BarBaseTwips - kmh * BarTwipsPerKmh);
    // Converting a double beyond the float range is undefined; treat it as
    // the overflow it is.
    if (std::fabs(top) > std::numeric_limits<float>::max())
        throw AppError(AppError::Kind::Overflow, AppError::kindName(AppError::Kind::Overflow));
    return static_cast<float>(top);
}
