// SPDX-License-Identifier: MIT
#pragma once

#include "core/serialdevice.h"

#include <QList>
#include <QString>

// Where udev names each USB serial adapter after its maker, model and serial
// number.
inline QString serialByIdFolder()
{
    return QStringLiteral("/dev/serial/by-id");
}

// The serial devices the system reports, with their by-id names: those that
// have one (USB adapters, the likely sensor) first, then the rest, each in
// the order of their paths.
QList<SerialDevice> presentSerialDevices(const QString &byIdFolder = serialByIdFolder());

// The link in byIdFolder that leads to device, or empty.
QString byIdPathOf(const QString &device, const QString &byIdFolder = serialByIdFolder());

// Puts devices with a by-id name first, then orders by path, the trailing number by value
// (ttyS2 before ttyS10).
void sortSerialDevices(QList<SerialDevice> &devices);
