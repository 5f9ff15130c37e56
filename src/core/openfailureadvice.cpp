// SPDX-License-Identifier: MIT
#include "core/openfailureadvice.h"

#include <QDir>
#include <QStringList>

namespace {

QString noDeviceAdvice(const OpenFailureFacts &facts)
{
    const QString settingsPath = QDir::toNativeSeparators(facts.settingsPath);
    if (facts.presentDevices.isEmpty())
        return QStringLiteral("No serial device was found on this computer: connect the sensor, "
                              "then put a line such as \"%1\" in the section [PORTS] of the "
                              "settings file %2 (wind-condition --list-ports names the devices).")
            .arg(portsLine(facts.port, QStringLiteral("/dev/ttyUSB0")), settingsPath);

    QStringList paths;
    for (const SerialDevice &device : facts.presentDevices)
        paths << device.path;
    const SerialDevice &candidate = facts.presentDevices.first();
    const QString which = paths.size() == 1
        ? QStringLiteral("the serial device %1: to use it").arg(paths.first())
        : QStringLiteral("the serial devices %1: to use %2")
              .arg(paths.join(QStringLiteral(", ")), candidate.path);
    return QStringLiteral("This computer has %1 as port %2, put the line \"%3\" in the section "
                          "[PORTS] of the settings file %4.")
        .arg(which)
        .arg(facts.port)
        .arg(portsLine(facts.port, candidate.stablePath()), settingsPath);
}

QString permissionAdvice(const OpenFailureFacts &facts)
{
    if (facts.deviceGroup.isEmpty())
        return QStringLiteral(
                   "Your user %1 may not open %2: ask an administrator for access to it.")
            .arg(facts.userName, facts.device);
    // Joining a group that may not read the device would not help.
    if (!facts.groupMayRead)
        return QStringLiteral("Only the user %1 may open %2: ask an administrator to let your "
                              "user %3 read it, or map another device.")
            .arg(facts.deviceOwner, facts.device, facts.userName);
    return QStringLiteral("Your user %1 may not open %2, which belongs to the group %3: add the "
                          "user to that group with \"sudo usermod -aG %3 %1\", then log out and "
                          "log in again, since a new group applies only from the next login.")
        .arg(facts.userName, facts.device, facts.deviceGroup);
}

} // namespace

QString openFailureAdvice(const OpenFailureFacts &facts)
{
    switch (facts.cause) {
    case OpenFailureCause::NoDevice:
        return noDeviceAdvice(facts);
    case OpenFailureCause::PermissionDenied:
        return permissionAdvice(facts);
    case OpenFailureCause::Busy:
        return QStringLiteral("Another program holds %1 (a terminal program, a modem manager or a "
                              "second copy of this application, for example): close it, then "
                              "start listening again.")
            .arg(facts.device);
    case OpenFailureCause::Other:
        break;
    }
    return {};
}
