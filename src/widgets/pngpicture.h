// SPDX-License-Identifier: MIT
#pragma once

#include <QPixmap>

class QString;

// A PNG picture read with Qt's own PNG reader and no other, or a null pixmap
// when the file is missing or holds no PNG. Left to find the format itself,
// Qt's image reader first loads every image format plugin installed, and the
// libraries they need, to ask each whether it reads PNG: a millisecond or so
// of every start-up spent on nothing the window shows.
QPixmap loadPngPicture(const QString &path);
