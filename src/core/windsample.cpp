// SPDX-License-Identifier: MIT
#include "core/windsample.h"

#include <chrono>

qint64 monotonicMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
