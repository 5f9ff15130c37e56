// SPDX-License-Identifier: MIT
#include "core/windcorrections.h"

#include "core/winddirection.h"

#include <cmath>

WindReading correctedReading(const WindReading &reading, const WindCorrections &corrections)
{
    if (corrections.isNone())
        return reading;
    WindReading corrected = reading;
    if (corrected.directionDegrees)
        corrected.directionDegrees
            = wrappedDegrees(*corrected.directionDegrees + corrections.directionOffsetDegrees);
    if (corrected.speedMetresPerSecond)
        *corrected.speedMetresPerSecond *= corrections.speedFactor;
    return corrected;
}

double zeroingDirectionOffset(double reportedDirectionDegrees)
{
    // 0 to 360 first, then the half turn beyond 180 taken back: 10 gives
    // -10, 350 gives 10, 180 gives -180.
    double offset = 360 - wrappedDegrees(reportedDirectionDegrees);
    if (offset >= 180)
        offset -= 360;
    offset = std::round(offset * 1e6) / 1e6;
    if (offset >= 180)
        return -180;
    // -0 would be written as "-0".
    return offset == 0 ? 0 : offset;
}
