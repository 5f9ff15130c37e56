// SPDX-License-Identifier: MIT
#include "core/randomwalk.h"

#include "core/apperror.h"

SingleDraws &exampleModeDraws()
{
    static SingleDraws s_draws;
    return s_draws;
}

double randomWalkStep(double &value, double stepSize, float moveThreshold, const DrawSource &draw)
{
    const float move = draw();
    if (!(move > moveThreshold))
        return value;
    const float upward = draw();
    const float distance = draw();
    const double step = static_cast<double>(distance) * stepSize;
    value = checkedFloat(upward > 0.5f ? value + step : value - step);
    return value;
}
