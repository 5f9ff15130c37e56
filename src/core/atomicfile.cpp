// SPDX-License-Identifier: MIT
#include "core/atomicfile.h"

#include "core/apperror.h"
#include "core/filecalls.h"

#include <QDir>
#include <QSaveFile>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <cstring>
#include <unistd.h>
#endif

namespace {

[[noreturn]] void fail(const QString &path, const QString &reason)
{
    throw AppError(
        AppError::Kind::FileError,
        QStringLiteral("Cannot write the file %1: %2").arg(QDir::toNativeSeparators(path), reason));
}

} // namespace

void replaceFileContents(const QString &path, const QByteArray &contents)
{
    // No direct-write fallback: writing into the old file in place is what
    // could leave half a file behind.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(path, file.errorString());

    // QSaveFile buffers small writes and flushes them while committing, where
    // a failed flush (a full disk) would not stop the rename. Flushing here
    // makes that failure visible before anything is replaced. A write cut
    // short leaves QSaveFile without a reason; errno has it.
    errno = 0;
    if (file.write(contents) != contents.size() || !file.flush()) {
        const QString reason = writeFailureReason(file, errno);
        file.cancelWriting();
        fail(path, reason);
    }
#ifdef Q_OS_UNIX
    // commit() syncs too but ignores the result; an I/O error found here must
    // keep the old file. File systems without fsync are not an error.
    if (::fsync(file.handle()) != 0 && errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        file.cancelWriting();
        fail(path, reason);
    }
#endif
    if (!file.commit())
        fail(path, file.errorString());
}
