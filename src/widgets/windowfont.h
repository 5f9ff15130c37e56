// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>

class QString;

// A font of the windows, named by family, at the pixel size its points give
// at 96 dots per inch, so every text fits its twip-sized control whatever
// the screen's logical DPI claims.
QFont windowFont(const QString &family, int pixelSize, bool bold = false, bool underline = false);

// The windows' default font: an 8.25 pt sans.
QFont defaultWindowFont();

// Arial and "MS Sans Serif" are the faces the windows' sizes were made for;
// where they are missing, Liberation Sans stands in, since it keeps Arial's
// metrics. Call once, before any window is built.
void substituteWindowFonts();
