#include "designfont.h"

#include <QString>

QFont designFont(const QString &family, int pixelSize, bool bold, bool underline)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setUnderline(underline);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont designDefaultFont()
{
    return designFont(QStringLiteral("MS Sans Serif"), 11);
}

void mapDesignFonts()
{
    for (const char *family : {"Arial", "MS Sans Serif"})
        QFont::insertSubstitution(QString::fromLatin1(family), QStringLiteral("Liberation Sans"));
}
