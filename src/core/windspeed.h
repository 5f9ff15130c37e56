// SPDX-License-Identifier: MIT
#pragma once

// Speed conversions of the display. Each throws AppError (Overflow,
// InvalidFloatOperation) when its result is not finite.

constexpr double KmhPerMetrePerSecond = 3.6;
constexpr double MphPerKmh = 0.621371;
constexpr double KnotsPerKmh = 0.539957;

// The bars stand at this Top, in twips, at 0 km/h and rise this many twips
// per km/h, which lands their top edge on the printed km/h marks of the
// scale: 0 km/h at 4680, 71 at 3240, 213 at 360, marks 480 twips apart.
constexpr double BarBaseTwips = 4680;
constexpr double BarTwipsPerKmh = 20.28169;

// The fastest wind any input may bring, in m/s: a frame or sentence with a
// faster one does not read. Far above any wind measured on Earth, and every
// readout and message still writes it plainly.
constexpr double MaxReadableMetresPerSecond = 999.9;

// The units a speed is shown or shared in besides the main window's mph.
enum class SpeedUnit { KilometresPerHour, Knots, MetresPerSecond };

double metresPerSecondToKmh(double metresPerSecond);
double kmhToMph(double kmh);
double kmhToKnots(double kmh);

// From metres per second through the unrounded km/h, as the main window
// computes them: every place that shows or shares mph or knots uses these,
// so that all of them agree to the last digit.
double metresPerSecondToMph(double metresPerSecond);
double metresPerSecondToKnots(double metresPerSecond);
double speedInUnit(double metresPerSecond, SpeedUnit unit);

// The value rounded to one decimal as the readouts write it ("0.0"), as the
// nearest double: every readout and sentence rounds once, through this.
double roundedToTenths(double value);

// The Top of every bar for a speed, in single precision as the bars hold it.
// Not clamped: above about 230.75 km/h it turns negative and the frame clips
// the bars. Throws AppError (Overflow) when the value does not fit a float.
float barTopTwips(double kmh);
