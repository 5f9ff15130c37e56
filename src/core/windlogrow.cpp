#include "core/windlogrow.h"

#include "core/apperror.h"
#include "core/utctime.h"
#include "core/winddirection.h"

#include <charconv>
#include <cmath>

namespace {

const QByteArray exampleName = QByteArrayLiteral("example");
const QByteArray portPrefix = QByteArrayLiteral("COM");
constexpr int longestPortNumber = 3;

bool isSourceName(QByteArrayView text)
{
    if (text == exampleName)
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

std::optional<double> readNumber(QByteArrayView text)
{
    double value = 0;
    const char *end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (text.isEmpty() || result.ec != std::errc() || result.ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<WindLogRow> refuse(QString *problem, const char *what)
{
    if (problem)
        *problem = QString::fromLatin1(what);
    return std::nullopt;
}

} // namespace

QString exampleModeSource()
{
    return QString::fromLatin1(exampleName);
}

QString serialPortSource(int portNumber)
{
    return QString::fromLatin1(portPrefix) + QString::number(portNumber);
}

QByteArray formatWindLogRow(const WindLogRow &row)
{
    const QByteArray source = row.source.toLatin1();
    if (!std::isfinite(row.directionDegrees) || !std::isfinite(row.speedMetresPerSecond)
        || row.speedMetresPerSecond < 0 || !isSourceName(source))
        throw AppError(AppError::Kind::InvalidArgument,
                       QStringLiteral("A wind log row needs a finite direction, a speed of 0 or "
                                      "more and the source example or COMn; it had %1, %2, \"%3\".")
                           .arg(row.directionDegrees)
                           .arg(row.speedMetresPerSecond)
                           .arg(row.source));
    QByteArray text;
    text.reserve(64);
    appendUtcTimestamp(text, row.utcMs);
    text.append(',');
    appendNumber(text, wrappedDegrees(row.directionDegrees, 2));
    text.append(',');
    appendNumber(text, row.speedMetresPerSecond);
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
    row.utcMs = *time;
    const std::optional<double> direction = readNumber(fields[1]);
    if (!direction)
        return refuse(problem, "the direction is not a number");
    row.directionDegrees = *direction;
    const std::optional<double> speed = readNumber(fields[2]);
    if (!speed || *speed < 0)
        return refuse(problem, "the speed is not a number of 0 or more");
    row.speedMetresPerSecond = *speed;
    if (!isSourceName(fields[3]))
        return refuse(problem, "the source is neither example nor COM and a port number");
    row.source = QString::fromLatin1(fields[3]);
    return row;
}
