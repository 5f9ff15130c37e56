// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file at path with contents in one step: the bytes go to a
// temporary file in the same folder, reach the disk, and only then take the
// file's place by a rename. A crash, a kill or a full disk leaves either the
// old file or the new one. An existing file keeps its permissions.
// Throws AppError (FileError) naming the path and the system's reason.
void replaceFileContents(const QString &path, const QByteArray &contents);
