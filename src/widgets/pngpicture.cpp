// SPDX-License-Identifier: MIT
#include "pngpicture.h"

#include <QImageReader>

QPixmap loadPngPicture(const QString &path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}
