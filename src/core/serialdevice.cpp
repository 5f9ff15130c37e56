// SPDX-License-Identifier: MIT
#include "core/serialdevice.h"

#include "core/apperror.h"
#include "core/settingsfile.h"

#include <QDir>

namespace {
QString knownOrDash(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("-") : text;
}
} // namespace

QString portsLine(int port, const QString &device)
{
    return QStringLiteral("COM%1=%2").arg(port).arg(device);
}

QString portListing(const QList<SerialDevice> &devices, const QString &settingsPath)
{
    QString text;
    const QString settingsLine
        = QStringLiteral("Settings file: %1\n").arg(QDir::toNativeSeparators(settingsPath));
    if (devices.isEmpty()) {
        text += QStringLiteral("No serial device was found on this computer. Connect the sensor "
                               "or its USB serial\nadapter, then run wind-condition --list-ports "
                               "again.\n\n");
        return text + settingsLine;
    }

    text += QStringLiteral("Serial devices:\n");
    for (const SerialDevice &device : devices) {
        text += QStringLiteral("\n  %1\n").arg(device.path);
        text += QStringLiteral("    by-id name:     %1\n").arg(knownOrDash(device.byIdPath));
        text += QStringLiteral("    description:    %1\n").arg(knownOrDash(device.description));
        text += QStringLiteral("    manufacturer:   %1\n").arg(knownOrDash(device.manufacturer));
        text += QStringLiteral("    serial number:  %1\n").arg(knownOrDash(device.serialNumber));
    }

    const int mapped = std::min<int>(devices.size(), HighestPortNumber);
    text += u'\n' + settingsLine;
    text += mapped == 1 ? QStringLiteral("These lines make the device port 1 of the port dialog")
                        : QStringLiteral("These lines make the devices ports 1 to %1 of the port "
                                         "dialog")
                              .arg(mapped);
    text += QStringLiteral(";\nput them in the settings file, in place of any [PORTS] section "
                           "it has. With Reconnect=True,\nlistening goes on by itself when an "
                           "unplugged adapter comes back under its by-id name:\n\n[PORTS]\n");
    for (int i = 0; i < mapped; ++i)
        text += portsLine(i + 1, devices.at(i).stablePath()) + u'\n';
    text += QStringLiteral("Reconnect=True\n");
    if (devices.size() > mapped)
        text += QStringLiteral("\nThe port dialog offers ports 1 to %1 only: map any other device "
                               "in place of one of these.\n")
                    .arg(HighestPortNumber);
    return text;
}

bool readPortsReconnect(const SettingsFile &settings)
{
    const QString value
        = settings.readKey(QStringLiteral("PORTS"), QStringLiteral("Reconnect")).trimmed();
    if (value.isEmpty() || value.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    if (value.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    throw AppError(AppError::Kind::InvalidArgument,
                   QStringLiteral("[PORTS] Reconnect=%1: expected True or False, in the settings "
                                  "file %2. A device lost while listening ends listening until "
                                  "this is mended.")
                       .arg(value.left(40), QDir::toNativeSeparators(settings.path())));
}
