// SPDX-License-Identifier: MIT
#include "serialdevices.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>
#include <utility>

namespace {
// The path with its trailing number apart, so that ttyS2 comes before ttyS10.
std::pair<QString, qulonglong> pathOrder(const QString &path)
{
    qsizetype digits = path.size();
    while (digits > 0 && path.at(digits - 1).isDigit())
        --digits;
    return {path.left(digits), path.mid(digits).toULongLong()};
}
} // namespace

QString byIdPathOf(const QString &device, const QString &byIdFolder)
{
    const QString target = QFileInfo(device).canonicalFilePath();
    if (target.isEmpty())
        return {};
    const QDir folder(byIdFolder);
    for (const QString &name : folder.entryList(QDir::System | QDir::Files, QDir::Name)) {
        const QString link = folder.filePath(name);
        if (QFileInfo(link).canonicalFilePath() == target)
            return link;
    }
    return {};
}

void sortSerialDevices(QList<SerialDevice> &devices)
{
    std::stable_sort(devices.begin(), devices.end(),
                     [](const SerialDevice &a, const SerialDevice &b) {
                         if (a.byIdPath.isEmpty() != b.byIdPath.isEmpty())
                             return b.byIdPath.isEmpty();
                         return pathOrder(a.path) < pathOrder(b.path);
                     });
}

QList<SerialDevice> presentSerialDevices(const QString &byIdFolder)
{
    QList<SerialDevice> devices;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        devices.append({info.systemLocation(), byIdPathOf(info.systemLocation(), byIdFolder),
                        info.description(), info.manufacturer(), info.serialNumber()});
    }
    sortSerialDevices(devices);
    return devices;
}
