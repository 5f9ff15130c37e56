// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Brings a direction into view with at most one correction each way: below 0
// gains 360 once, then above 359 loses 360 once. There is deliberately no
// loop, so -400 gives -40, 720 gives 360 and 359.5 gives -0.5; the readout
// and the stored angle show such values as they are. Throws AppError
// (Overflow, InvalidFloatOperation) when the result is not finite.
double normalizedAngle(double angle);

// Any finite angle brought into [0, 360): -90 gives 270, 720 gives 0, and
// a tiny negative angle, which would round up to a full turn, gives 0. The
// one wrapping of angles that every part of the application uses. Throws
// AppError (Overflow, InvalidFloatOperation) when the angle is not finite.
double wrappedDegrees(double degrees);

// Any finite angle brought into [0, 360) and rounded to the given number of
// decimals (0 to 6), for what leaves the application: the log, the
// sentences. A value that rounds up to 360 becomes 0, so a full turn is
// never written, and -0 becomes 0: 359.96 stored as -0.04 gives 359.96, 720
// gives 0. Throws AppError (Overflow, InvalidFloatOperation) when the angle
// is not finite.
double wrappedDegrees(double degrees, int decimals);

// The eight points the direction readout names; None for an angle that has
// no point.
enum class CompassPoint { None, N, NE, E, SE, S, SW, W, NW };

// The compass point of an unrounded angle. The rows abut on whole degrees, so
// a fraction between two rows (23.5), a negative angle or one above 360 has
// no point.
CompassPoint compassPointOf(double angle);
// "N", "NE", ... "NW"; "" for None.
QString compassPointName(CompassPoint point);
// Both steps at once.
QString compassPoint(double angle);
