// SPDX-License-Identifier: MIT
#pragma once

// The wind over the water (or the ground), worked out from the apparent wind
// a moving boat measures and the boat's own speed: the apparent wind is the
// true wind plus the head wind of the boat's motion, so the boat's speed is
// taken off along the bow.
//
// With AWA and AWS the apparent angle (from the bow, clockwise) and speed
// and BS the boat speed:
//     x = AWS·cos(AWA) − BS,  y = AWS·sin(AWA)
//     TWS = √(x² + y²),  TWA = atan2(y, x)
// and with the heading, TWD = heading + TWA, wrapped into [0, 360).

struct TrueWindOffBow
{
    double speedMetresPerSecond = 0;
    // From the bow, clockwise, in (-180, 180]: negative on port.
    double angleDegrees = 0;
};

// Any finite inputs; speeds in one unit (the result is in the same one).
TrueWindOffBow trueWindOffBow(double apparentAngleDegrees, double apparentSpeed, double boatSpeed);

// The direction the true wind comes from, in [0, 360), for a true heading
// and the true wind's angle off the bow. Throws AppError when either is not
// finite.
double trueWindDirection(double headingDegrees, double trueAngleOffBowDegrees);
