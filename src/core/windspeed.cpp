#include "core/windspeed.h"

#include "core/apperror.h"

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

float barTopTwips(double kmh)
{
    const double top = checkedFloat(BarBaseTwips - kmh * BarTwipsPerKmh);
    // Converting a double beyond the float range is undefined; treat it as
    // the overflow it is.
    if (std::fabs(top) > std::numeric_limits<float>::max())
        throw AppError(AppError::Kind::Overflow, AppError::kindName(AppError::Kind::Overflow));
    return static_cast<float>(top);
}
