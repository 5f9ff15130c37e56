// SPDX-License-Identifier: MIT
#include "colourscheme.h"

#include <QColor>

QPalette nightPalette()
{
    using namespace NightRed;
    QPalette palette{QColor(Bright), QColor(Black)};
    const std::pair<QPalette::ColorRole, QRgb> roles[] = {
        {QPalette::Window, Black},
        {QPalette::WindowText, Bright},
        {QPalette::Base, Deep},
        {QPalette::AlternateBase, Black},
        {QPalette::Text, Bright},
        {QPalette::PlaceholderText, Dark},
        {QPalette::Button, Faint},
        {QPalette::ButtonText, Bright},
        {QPalette::BrightText, Bright},
        // The bevels of frames and buttons, lightest first.
        {QPalette::Light, Dark},
        {QPalette::Midlight, 0xff3c0000},
        {QPalette::Mid, 0xff300000},
        {QPalette::Dark, Deep},
        {QPalette::Shadow, Black},
        // A selection is a bright bar with dark text, as in the day palette.
        {QPalette::Highlight, Mid},
        {QPalette::HighlightedText, Black},
        {QPalette::Link, Bright},
        {QPalette::LinkVisited, Mid},
        {QPalette::ToolTipBase, Deep},
        {QPalette::ToolTipText, Bright},
    };
    for (const auto &[role, colour] : roles)
        palette.setColor(role, QColor(colour));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(Dark));
    palette.setColor(QPalette::Disabled, QPalette::Button, QColor(Deep));
    return palette;
}

QImage nightPicture(const QImage &picture, QRgb brightest)
{
    QImage night = picture.convertToFormat(QImage::Format_ARGB32);
    const int top = qRed(brightest);
    for (int y = 0; y < night.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(night.scanLine(y));
        for (int x = 0; x < night.width(); ++x)
            line[x] = qRgba(qGray(line[x]) * top / 255, 0, 0, qAlpha(line[x]));
    }
    return night;
}
