// SPDX-License-Identifier: MIT
#include "core/barscalebands.h"

#include "core/windrose.h"
#include "core/windspeed.h"

#include <iterator>

const BarScaleBand &barScaleBandAt(double kmh)
{
    // Faster is higher up the scale, at a smaller Top.
    const double top = BarBaseTwips - BarTwipsPerKmh * kmh;
    for (const BarScaleBand &band : BarScaleBands) {
        if (top >= band.topTwips)
            return band;
    }
    return *std::prev(std::end(BarScaleBands));
}

const BarScaleBand &beaufortForceBand(int force)
{
    if (force < 1 || force > int(WmoBeaufortLimits.size()))
        return BarScaleBands[0];
    const double lower = WmoBeaufortLimits[force - 1];
    const double metresPerSecond
        = force < int(WmoBeaufortLimits.size()) ? (lower + WmoBeaufortLimits[force]) / 2 : lower;
    return barScaleBandAt(metresPerSecond * KmhPerMetrePerSecond);
}
