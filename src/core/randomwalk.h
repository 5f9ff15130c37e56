// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <random>

// Uniform single-precision draws in [0, 1), the same sequence at every start.
// Each draw is built from 24 random bits, so it is exactly representable and
// can never round up to 1.0 (as std::uniform_real_distribution<float> can).
class SingleDraws
{
public:
    explicit SingleDraws(std::uint32_t seed = 20061207u)
        : m_engine(seed)
    { }

    float next() { return static_cast<float>(m_engine() >> 8) * (1.0f / 16777216.0f); }

private:
    std::mt19937 m_engine;
};

// The generator that example mode shares for the whole process.
SingleDraws &exampleModeDraws();

using DrawSource = std::function<float()>;

// One step of a random walk: with a first draw above the move threshold the
// value moves up or down (second draw above one half: up) by the third draw
// times the step size. Returns the new value, also stored in value.
double randomWalkStep(double &value, double stepSize, float moveThreshold, const DrawSource &draw);
