// SPDX-License-Identifier: MIT
#include "windowfont.h"

#include <QString>

QFont windowFont(const QString &family, int pixelSize, bool bold, bool underline)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setUnderline(underline);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont defaultWindowFont()
{
    return windowFont(QStringLiteral("MS Sans Serif"), 11);
}

void substituteWindowFonts()
{
    for (const char *family : {"Arial", "MS Sans Serif"})
        QFont::insertSubstitution(QString::fromLatin1(family), QStringLiteral("Liberation Sans"));
}
