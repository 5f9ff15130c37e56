// SPDX-License-Identifier: MIT
#include "openfailure.h"

#include "serialdevices.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
#ifdef Q_OS_UNIX
QString userNameOf(uid_t uid)
{
    const passwd *entry = ::getpwuid(uid);
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(uid);
}

QString groupNameOf(gid_t gid)
{
    const group *entry = ::getgrgid(gid);
    return entry ? QString::fromLocal8Bit(entry->gr_name) : QString::number(gid);
}
#endif
} // namespace

OpenFailureCause openFailureCause(const QString &device, QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::DeviceNotFoundError)
        return OpenFailureCause::NoDevice;
    if (error != QSerialPort::PermissionError)
        return OpenFailureCause::Other;
#ifdef Q_OS_UNIX
    // The port reports a device that another program holds (through its lock
    // file, or in exclusive use) as a permission error too; only the
    // device's own permissions tell the two apart.
    if (::access(QFile::encodeName(device).constData(), R_OK) != 0)
        return errno == ENOENT ? OpenFailureCause::NoDevice : OpenFailureCause::PermissionDenied;
    return OpenFailureCause::Busy;
#else
    // Windows opens a COM port for one program at a time and calls a port in
    // use "access denied".
    Q_UNUSED(device);
    return OpenFailureCause::Busy;
#endif
}

OpenFailureFacts openFailureFacts(OpenFailureCause cause, int port, const QString &device,
                                  const QString &settingsPath)
{
    OpenFailureFacts facts;
    facts.cause = cause;
    facts.port = port;
    facts.device = device;
    facts.settingsPath = settingsPath;
    if (cause == OpenFailureCause::NoDevice)
        facts.presentDevices = presentSerialDevices();
#ifdef Q_OS_UNIX
    struct stat status
    {
    };
    if (cause == OpenFailureCause::PermissionDenied)
        facts.userName = userNameOf(::geteuid());
    if (cause == OpenFailureCause::PermissionDenied
        && ::stat(QFile::encodeName(device).constData(), &status) == 0) {
        facts.deviceOwner = userNameOf(status.st_uid);
        facts.deviceGroup = groupNameOf(status.st_gid);
        facts.groupMayRead = status.st_mode & S_IRGRP;
    }
#endif
    return facts;
}
