// SPDX-License-Identifier: MIT
#include "core/windstatisticstext.h"

#include "core/beaufort.h"
#include "core/numberformat.h"
#include "core/winddirection.h"
#include "core/windperiodstatistics.h"
#include "core/windspeed.h"

#include <QLocale>

#include <cmath>

namespace {
const char *const CompassPoints[16] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                       "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};
} // namespace

int wholeCompassDegrees(double degrees)
{
    return int(wrappedDegrees(degrees, 0));
}

qint64 coveragePercent(const WindPeriodStatistics &period)
{
    return period.lengthMs() > 0 ? period.coveredMs * 100 / period.lengthMs() : 0;
}

QString sixteenPointCompass(double degrees)
{
    const int index = int(std::floor((wrappedDegrees(degrees) + 11.25) / 22.5)) % 16;
    return QString::fromLatin1(CompassPoints[index]);
}

QString speedFigure(double metresPerSecond, SpeedUnit unit, const QLocale &locale)
{
    return formatOneDecimal(speedInUnit(metresPerSecond, unit), locale);
}

QString spokenUnit(SpeedUnit unit)
{
    switch (unit) {
    case SpeedUnit::KilometresPerHour:
        return QStringLiteral("kilometres per hour");
    case SpeedUnit::Knots:
        return QStringLiteral("knots");
    case SpeedUnit::MetresPerSecond:
        break;
    }
    return QStringLiteral("metres per second");
}

QString unitSymbol(SpeedUnit unit)
{
    switch (unit) {
    case SpeedUnit::KilometresPerHour:
        return QStringLiteral("km/h");
    case SpeedUnit::Knots:
        return QStringLiteral("kn");
    case SpeedUnit::MetresPerSecond:
        break;
    }
    return QStringLiteral("m/s");
}

QString coverageFigure(const WindPeriodStatistics &period, const QLocale &locale)
{
    return formatWhole(double(coveragePercent(period)), locale) + QStringLiteral(" %");
}

QString notShownFigure()
{
    return QStringLiteral("—");
}

QString directionFigure(const WindPeriodStatistics &period, const QLocale &locale)
{
    if (period.calm)
        return QStringLiteral("Calm");
    if (!period.meanDirection)
        return notShownFigure();
    return locale.toString(wholeCompassDegrees(*period.meanDirection)) + QStringLiteral("° ")
        + sixteenPointCompass(*period.meanDirection);
}

QString spokenDirection(const WindPeriodStatistics &period, const QLocale &locale)
{
    if (period.calm)
        return QStringLiteral("calm");
    if (!period.meanDirection)
        return QStringLiteral("variable: the directions cancel out");
    return QStringLiteral("%1 degrees, %2")
        .arg(locale.toString(wholeCompassDegrees(*period.meanDirection)),
             sixteenPointCompass(*period.meanDirection));
}

QString beaufortFigure(double metresPerSecond, const QLocale &locale)
{
    return formatBeaufort(kmhToBeaufort(metresPerSecondToKmh(metresPerSecond)), locale);
}

QString countWithShare(qint64 count, qint64 total, const QLocale &locale)
{
    const QString number = formatWhole(double(count), locale);
    if (total <= 0)
        return number;
    return QStringLiteral("%1 (%2 %)")
        .arg(number, formatOneDecimal(100.0 * double(count) / double(total), locale));
}

QString secondsSinceFigure(std::optional<qint64> ms, const QLocale &locale)
{
    if (!ms)
        return QStringLiteral("never");
    return formatOneDecimal(double(*ms) / 1000, locale) + QStringLiteral(" s");
}
