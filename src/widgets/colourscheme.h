// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QPalette>
#include <QRgb>

// The colours a window shows: the usual ones, or night colours that leave an
// eye used to the dark as it was: red and dark red on black, nothing
// brighter than a dim red, and no green or blue to speak of. The
// application switches all its windows at once and hands each painted
// widget the scheme as this one value; every widget keeps its own table of
// colours for each scheme.
enum class ColourScheme { Day, Night };

// The shades of red that night colours are made of, darkest first. Text is
// the brightest thing on the screen.
namespace NightRed {
constexpr QRgb Black = 0xff000000;
constexpr QRgb Deep = 0xff140000; // fields, the faces of dials
constexpr QRgb Faint = 0xff280000; // buttons, grid lines, rims
constexpr QRgb Dark = 0xff500000; // frames, disabled text
constexpr QRgb Mid = 0xff800000; // secondary marks, pictures
constexpr QRgb Bright = 0xffc00000; // text, hands, the alarm ring
} // namespace NightRed

// The palette of Qt's own widgets at night: windows, buttons, text boxes,
// lists, menus, the port dialog and message boxes.
QPalette nightPalette();

// A picture at night: each pixel's brightness as a shade of red, up to
// brightest, its transparency kept.
QImage nightPicture(const QImage &picture, QRgb brightest = NightRed::Mid);
