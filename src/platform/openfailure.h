// SPDX-License-Identifier: MIT
#pragma once

#include "core/openfailureadvice.h"

#include <QSerialPort>
#include <QString>

// Why device would not open, from the serial port's error and the device
// itself.
OpenFailureCause openFailureCause(const QString &device, QSerialPort::SerialPortError error);

// The facts that the advice for cause names, read from the system: the
// serial devices present, or the device's owner, group and mode and the user
// who asked.
OpenFailureFacts openFailureFacts(OpenFailureCause cause, int port, const QString &device,
                                  const QString &settingsPath);
