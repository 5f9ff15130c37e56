// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

class QFileDevice;

// What Qt's file classes do not tell: which file a path or an open file is,
// and why a write failed. The system calls stay behind these functions.

// A file's identity: its device and inode on Unix. Elsewhere every existing
// file has the same identity, so a comparison only tells a missing path.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;

    bool operator==(const FileIdentity &other) const
    {
        return device == other.device && inode == other.inode;
    }
    bool operator!=(const FileIdentity &other) const { return !(*this == other); }
};

// The file now at path; nothing when there is none (or its folder is gone).
std::optional<FileIdentity> identityOfPath(const QString &path);
// The file that file holds open, wherever it now is; nothing when it is not open.
std::optional<FileIdentity> identityOfOpenFile(const QFileDevice &file);

// The reason for a failed write or flush on file, given errno as it was
// right after the failing call (set to 0 before it). A write cut short by a
// full disk or a size limit leaves QFileDevice without a reason ("Unknown
// error") while errno still holds it.
QString writeFailureReason(const QFileDevice &file, int errorNumber);
