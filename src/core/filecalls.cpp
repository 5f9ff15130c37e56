// SPDX-License-Identifier: MIT
#include "core/filecalls.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#endif

#ifdef Q_OS_UNIX
namespace {

FileIdentity identityOf(const struct stat &status)
{
    return {quint64(status.st_dev), quint64(status.st_ino)};
}

} // namespace
#endif

std::optional<FileIdentity> identityOfPath(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return identityOf(status);
#else
    if (!QFileInfo::exists(path))
        return std::nullopt;
    return FileIdentity{};
#endif
}

std::optional<FileIdentity> identityOfOpenFile(const QFileDevice &file)
{
#ifdef Q_OS_UNIX
    struct stat status
    {
    };
    if (file.handle() < 0 || ::fstat(file.handle(), &status) != 0)
        return std::nullopt;
    return identityOf(status);
#else
    if (!file.isOpen())
        return std::nullopt;
    return FileIdentity{};
#endif
}

QString writeFailureReason(const QFileDevice &file, int errorNumber)
{
#ifdef Q_OS_UNIX
    if (errorNumber != 0)
        return QString::fromLocal8Bit(std::strerror(errorNumber));
#else
    Q_UNUSED(errorNumber);
#endif
    return file.errorString();
}
