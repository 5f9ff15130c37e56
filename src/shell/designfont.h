#pragma once

#include <QFont>

class QString;

// The fonts the windows were designed with, at the pixel sizes their points
// give at 96 dots per inch, so every text fits its twip-sized control
// whatever the screen's logical DPI claims.
QFont designFont(const QString &family, int pixelSize, bool bold = false, bool underline = false);

// The windows' default font: the 8.25 pt sans of the design.
QFont designDefaultFont();

// Arial and "MS Sans Serif" are the faces the windows were designed with;
// where they are missing, Liberation Sans stands in, since it keeps Arial's
// metrics. Call once, before any window is built.
void mapDesignFonts();
