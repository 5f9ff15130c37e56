// SPDX-License-Identifier: MIT
#pragma once

#include "core/serialdevice.h"

#include <QList>
#include <QString>

// Why a serial device would not open, as far as its user can put it right.
enum class OpenFailureCause { NoDevice, PermissionDenied, Busy, Other };

// What the advice names; each cause reads only its own facts.
struct OpenFailureFacts
{
    OpenFailureCause cause = OpenFailureCause::Other;
    int port = 1;
    QString device;
    // NoDevice: the devices that exist, best candidate first, and the file
    // whose [PORTS] section maps them.
    QList<SerialDevice> presentDevices;
    QString settingsPath;
    // PermissionDenied: who asked, and who may open the device.
    QString userName;
    QString deviceOwner;
    QString deviceGroup;
    bool groupMayRead = true;
};

// One sentence naming the fix, to follow the error's own description; empty
// for Other, where there is no fix a newcomer could make.
QString openFailureAdvice(const OpenFailureFacts &facts);
