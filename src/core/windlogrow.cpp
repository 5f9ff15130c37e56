// SPDX-License-Identifier: MIT
#include "core/windlogrow.h"

#include "core/apperror.h"
#include "core/nmeasentence.h"
#include "core/utctime.h"
#include "core/winddirection.h"

#include <charconv>
#include <cmath>

namespace {

const QByteArray exampleName = QByteArrayLiteral("example");
const QByteArray tcpName = QByteArrayLiteral("tcp");
const QByteArray udpName = QByteArrayLiteral("udp");
const QByteArray portPrefix = QByteArrayLiteral("COM");
constexpr int longestPortNumber = 3;
constexpr int speedDecimals = 4;

// Rows hold times from 1970-01-01T00:00:00.000Z up to, not including,
// 2201-01-01T00:00:00.000Z (day 84371).
constexpr qint64 earliestRowMs = 0;
constexpr qint64 endOfRowsMs = 84371 * utcDayMs;

bool isRowTime(qint64 utcMs)
{
    return utcMs >= earliestRowMs && utcMs < endOfRowsMs;
}

// The same bound the shared sentences put on wind, so that what the log
// keeps and what the sentences state agree.
bool isRowSpeed(double metresPerSecond)
{
    return metresPerSecond >= 0 && metresPerSecond <= NmeaMaxSpeedMetresPerSecond;
}

bool isSourceName(QByteArrayView text)
{
    if (text == exampleName || text == tcpName || text == udpName)
        return true;
    if (!text.startsWith(portPrefix))
        return false;
    const QByteArrayView digits = text.sliced(portPrefix.size());
    if (digits.isEmpty() || digits.size() > longestPortNumber || digits.front() == '0')
        return false;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

void appendNumber(QByteArray &out, double value)
{
    // Fixed notation in the fewest digits that read back exactly, never an
    // exponent; std::to_chars ignores the locale. Adding 0 turns -0 into 0.
    char digits[400];
    const auto result
        = std::to_chars(digits, digits + sizeof digits, value + 0.0, std::chars_format::fixed);
    out.append(digits, result.ptr - digits);
}

// Speeds converted from knots or km/h carry the conversion's binary noise
// (6.898700000000001); four decimals, a tenth of a millimetre a second, keep
// more than any sensor resolves. Two decimals, as a frame has them, stay as
// they are, and trailing zeros go.
void appendSpeed(QByteArray &out, double metresPerSecond)
{
    char digits[400];
    const auto result = std::to_chars(digits, digits + sizeof digits, metresPerSecond + 0.0,
                                      std::chars_format::fixed, speedDecimals);
    const char *end = result.ptr;
    while (end[-1] == '0')
        --end;
    if (end[-1] == '.')
        --end;
    out.append(digits, end - digits);
}

std::optional<double> readNumber(QByteArrayView text)
{
    double value = 0;
    const char *end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (text.isEmpty() || result.ec != std::errc() || result.ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<WindLogRow> refuse(QString *problem, const QString &what)
{
    if (problem)
        *problem = what;
    return std::nullopt;
}

std::optional<WindLogRow> refuse(QString *problem, const char *what)
{
    return refuse(problem, QString::fromLatin1(what));
}

} // namespace

QString exampleModeSource()
{
    return QString::fromLatin1(exampleName);
}

QString tcpInputSource()
{
    return QString::fromLatin1(tcpName);
}

QString udpInputSource()
{
    return QString::fromLatin1(udpName);
}

QString serialPortSource(int portNumber)
{
    return QString::fromLatin1(portPrefix) + QString::number(portNumber);
}

QByteArray formatWindLogRow(const WindLogRow &row)
{
    const QByteArray source = row.source.toLatin1();
    // The negated test also refuses NaN.
    if (!isRowTime(row.utcMs) || !std::isfinite(row.directionDegrees)
        || !isRowSpeed(row.speedMetresPerSecond) || !isSourceName(source))
        throw AppError(AppError::Kind::InvalidArgument,
                       QStringLiteral("A wind log row needs a time in the years 1970 to 2200, a "
                                      "finite direction, a speed of 0 to %1 m/s and the source "
                                      "example, tcp, udp or COMn; it had %2 ms, %3, %4, \"%5\".")
                           .arg(NmeaMaxSpeedMetresPerSecond)
                           .arg(row.utcMs)
                           .arg(row.directionDegrees)
                           .arg(row.speedMetresPerSecond)
                           .arg(row.source));
    QByteArray text;
    text.reserve(64);
    appendUtcTimestamp(text, row.utcMs);
    text.append(',');
    appendNumber(text, wrappedDegrees(row.directionDegrees, 2));
    text.append(',');
    appendSpeed(text, row.speedMetresPerSecond);
    text.append(',');
    text.append(source);
    return text;
}

std::optional<WindLogRow> parseWindLogRow(QByteArrayView line, QString *problem)
{
    if (line.endsWith('\r'))
        line.chop(1);
    QByteArrayView fields[4];
    int count = 0;
    qsizetype from = 0;
    while (true) {
        const qsizetype comma = line.indexOf(',', from);
        if (count == 4)
            return refuse(problem, "more than 4 fields");
        fields[count++] = line.sliced(from, (comma < 0 ? line.size() : comma) - from);
        if (comma < 0)
            break;
        from = comma + 1;
    }
    if (count < 4)
        return refuse(problem, "fewer than 4 fields");

    WindLogRow row;
    const std::optional<qint64> time = parseUtcTimestamp(fields[0]);
    if (!time)
        return refuse(problem, "the time is not a UTC time such as 2026-12-07T10:00:00.250Z");
    if (!isRowTime(*time))
        return refuse(problem, "the time lies outside the years 1970 to 2200");
    row.utcMs = *time;
    const std::optional<double> direction = readNumber(fields[1]);
    if (!direction)
        return refuse(problem, "the direction is not a number");
    row.directionDegrees = *direction;
    const std::optional<double> speed = readNumber(fields[2]);
    if (!speed || !isRowSpeed(*speed))
        return refuse(problem,
                      QStringLiteral("the speed is not a number from 0 to %1")
                          .arg(NmeaMaxSpeedMetresPerSecond));
    row.speedMetresPerSecond = *speed;
    if (!isSourceName(fields[3]))
        return refuse(problem, "the source is none of example, tcp, udp, or COM and a port number");
    row.source = QString::fromLatin1(fields[3]);
    return row;
}
