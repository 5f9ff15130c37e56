// SPDX-License-Identifier: MIT
#include "samplewalk.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

std::vector<WindSample> randomWalk(quint32 seed, qint64 startMs, qint64 durationMs,
                                   const WalkShape &shape)
{
    QRandomGenerator random(seed);
    const auto uniform = [&random](double from, double to) {
        return from + random.generateDouble() * (to - from);
    };
    std::vector<WindSample> samples;
    double direction = 350;
    double speed = 6;
    qint64 calmUntilMs = startMs;
    for (qint64 time = startMs; time < startMs + durationMs;) {
        direction = std::fmod(direction + uniform(-1, 1) * shape.largestTurnDegrees + 360, 360);
        if (time >= calmUntilMs && random.generateDouble() < shape.calmChance)
            calmUntilMs = time + qint64(uniform(60000, 900000));
        if (time < calmUntilMs)
            speed = uniform(0, 0.9);
        else
            speed = std::clamp(speed + uniform(-1, 1), 0.0, 30.0);
        samples.push_back({time, direction, speed});

        if (random.generateDouble() < shape.sameMillisecondChance)
            continue;
        time += qint64(uniform(double(shape.shortestIntervalMs), double(shape.longestIntervalMs)));
        if (random.generateDouble() < shape.gapChance)
            time += qint64(uniform(0, double(shape.longestGapMs)));
    }
    return samples;
}
