// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>

// Window positions and sizes are designed in twips; at 96 dots per inch,
// 15 twips make one pixel, and Qt's high-DPI scaling does the rest.
inline constexpr int TwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    return twips / TwipsPerPixel;
}

inline QRect twipRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}
