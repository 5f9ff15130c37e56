// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QLocale;

// The port dialog's checks of a typed port number, free of any window. An
// empty message means the text names a valid port.
struct PortChoice
{
    QString message;
    qint16 port = 0;
};

// The text must be a number in the user's locale ("Serial Port Entered Not
// Valid") above 0 and below 10 ("Serial Port Entered Out of Limits"); it is
// rounded to the nearest port, halves to the even neighbour.
PortChoice choosePort(const QString &text, const QLocale &locale);
