// SPDX-License-Identifier: MIT
#include "barlabel.h"

#include "twips.h"

#include <algorithm>
#include <cmath>

namespace {
// Far outside any frame, yet far inside the range of widget coordinates, so
// a huge Top can never wrap around into view.
constexpr float PixelLimit = 100000;
} // namespace

BarLabel::BarLabel(QWidget *parent)
    : QLabel(parent)
{ }

void BarLabel::setTop(float twips)
{
    m_top = twips;
    if (std::isnan(twips))
        return;
    const float pixels = std::clamp(twips / float(TwipsPerPixel), -PixelLimit, PixelLimit);
    move(x(), static_cast<int>(std::lround(pixels)));
}
