// SPDX-License-Identifier: MIT
#include "core/portchoice.h"

#include "core/apperror.h"
#include "core/numberformat.h"

#include <QLocale>

#include <cmath>

PortChoice choosePort(const QString &text, const QLocale &locale)
{
    double value = 0;
    try {
        value = readShownNumber(text, locale);
    } catch (const AppError &) {
        return {QStringLiteral("Serial Port Entered Not Valid")};
    }
    // Halves round to the even neighbour, so up to 0.5 the value would name
    // port 0, which does not exist.
    const double port = std::nearbyint(value);
    if (!(value > 0 && value < 10) || port == 0)
        return {QStringLiteral("Serial Port Entered Out of Limits")};
    return {QString(), static_cast<qint16>(port)};
}
