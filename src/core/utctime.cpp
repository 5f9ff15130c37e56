// SPDX-License-Identifier: MIT
#include "core/utctime.h"

#include "core/apperror.h"

namespace {

// QDate's Julian day of 1970-01-01.
constexpr qint64 epochJulianDay = 2440588;
constexpr int timestampLength = 24;

qint64 floorDivide(qint64 value, qint64 divisor)
{
    const qint64 quotient = value / divisor;
    return quotient * divisor > value ? quotient - 1 : quotient;
}

void appendDigits(QByteArray &out, int value, int width)
{
    char digits[4];
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = char('0' + value % 10);
        value /= 10;
    }
    out.append(digits, width);
}

// The number in text[from, from + width) when all of it are digits, else -1.
int readDigits(QByteArrayView text, int from, int width)
{
    int value = 0;
    for (int i = from; i < from + width; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

qint64 utcDayNumber(qint64 utcMs)
{
    return floorDivide(utcMs, utcDayMs);
}

QDate utcDate(qint64 utcMs)
{
    return QDate::fromJulianDay(epochJulianDay + utcDayNumber(utcMs));
}

qint64 utcDayNumberOf(const QDate &date)
{
    return date.toJulianDay() - epochJulianDay;
}

void appendUtcTimestamp(QByteArray &out, qint64 utcMs)
{
    const QDate date = utcDate(utcMs);
    if (date.year() < 1 || date.year() > 9999)
        throw AppError(
            AppError::Kind::InvalidArgument,
            QStringLiteral("The time %1 ms lies outside the years 1 to 9999.").arg(utcMs));
    const qint64 msOfDay = utcMs - utcDayNumber(utcMs) * utcDayMs;
    appendDigits(out, date.year(), 4);
    out.append('-');
    appendDigits(out, date.month(), 2);
    out.append('-');
    appendDigits(out, date.day(), 2);
    out.append('T');
    appendDigits(out, int(msOfDay / 3600000), 2);
    out.append(':');
    appendDigits(out, int(msOfDay / 60000 % 60), 2);
    out.append(':');
    appendDigits(out, int(msOfDay / 1000 % 60), 2);
    out.append('.');
    appendDigits(out, int(msOfDay % 1000), 3);
    out.append('Z');
}

std::optional<qint64> parseUtcTimestamp(QByteArrayView text)
{
    if (text.size() != timestampLength)
        return std::nullopt;
    if (text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':'
        || text[19] != '.' || text[23] != 'Z')
        return std::nullopt;

    const int year = readDigits(text, 0, 4);
    const int month = readDigits(text, 5, 2);
    const int day = readDigits(text, 8, 2);
    const int hour = readDigits(text, 11, 2);
    const int minute = readDigits(text, 14, 2);
    const int second = readDigits(text, 17, 2);
    const int millisecond = readDigits(text, 20, 3);
    if (year < 1 || month < 0 || day < 0 || hour < 0 || hour > 23 || minute < 0 || minute > 59
        || second < 0 || second > 59 || millisecond < 0 || !QDate::isValid(year, month, day))
        return std::nullopt;
    return utcDayNumberOf(QDate(year, month, day)) * utcDayMs + hour * 3600000LL + minute * 60000LL
        + second * 1000LL + millisecond;
}
