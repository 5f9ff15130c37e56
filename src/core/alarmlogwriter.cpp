// SPDX-License-Identifier: MIT
#include "core/alarmlogwriter.h"

#include "core/dayfiles.h"

#include "core/apperror.h"
#include "core/utctime.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <charconv>
#include <cmath>

namespace {

bool isAlarmName(const QString &name)
{
    static const QRegularExpression letters(QStringLiteral("^[A-Za-z]+$"));
    return letters.match(name).hasMatch();
}

const QString AlarmFilePrefix = QStringLiteral("alarms");

} // namespace

QByteArray alarmFigureText(double value)
{
    // Two decimals are finer than any threshold is written; the fewest
    // digits that read back, never an exponent, and -0 written as 0.
    const double rounded = std::round(value * 100) / 100 + 0.0;
    char digits[400];
    const auto result
        = std::to_chars(digits, digits + sizeof digits, rounded, std::chars_format::fixed);
    return QByteArray(digits, result.ptr - digits);
}

QByteArray formatAlarmLogRow(const AlarmLogRow &row)
{
    // 1e15 keeps two decimals exact in a double and the text short.
    const auto usable = [](double value) {
        return std::isfinite(value) && std::fabs(value) < 1e15;
    };
    if (!usable(row.value) || !usable(row.threshold) || !isAlarmName(row.alarm))
        throw AppError(AppError::Kind::InvalidArgument,
                       QStringLiteral("An alarm log row needs a name of letters and finite "
                                      "figures; it had \"%1\", %2, %3.")
                           .arg(row.alarm)
                           .arg(row.value)
                           .arg(row.threshold));
    QByteArray line;
    appendUtcTimestamp(line, row.utcMs);
    line += ',' + row.alarm.toLatin1() + ',' + (row.raised ? "raise" : "clear") + ',';
    line += alarmFigureText(row.value) + ',' + alarmFigureText(row.threshold);
    return line;
}

AlarmLogWriter::AlarmLogWriter(const QString &folder, std::optional<int> keepDays, QObject *parent)
    : QObject(parent)
    , m_folder(folder)
    , m_keepDays(keepDays)
{ }

void AlarmLogWriter::append(const AlarmLogRow &row)
{
    const QByteArray line = formatAlarmLogRow(row) + '\n';
    const qint64 day = utcDayNumber(row.utcMs);
    if (m_day != day) {
        m_day = day;
        removeExpiredFiles(row.utcMs);
    }
    if (!QFileInfo(m_folder).isDir()) {
        reportWriteFailure(tr("the folder does not exist"));
        return;
    }
    if (writeRow(QDir(m_folder).filePath(dayFileName(AlarmFilePrefix, day)), line))
        m_failing = false;
}

bool AlarmLogWriter::writeRow(const QString &path, const QByteArray &line)
{
    const std::optional<char> lastByte = lastByteOfFile(path);
    QFile file(path);
    // Unbuffered: the row goes to the file in a single write.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        reportWriteFailure(file.errorString());
        return false;
    }
    QByteArray bytes = line;
    if (file.size() == 0) {
        bytes.prepend(QByteArray(alarmLogHeader) + '\n');
    } else if (lastByte != '\n') {
        bytes.prepend('\n');
    }
    if (file.write(bytes) != bytes.size()) {
        reportWriteFailure(file.errorString());
        return false;
    }
    return true;
}

void AlarmLogWriter::removeExpiredFiles(qint64 nowUtcMs)
{
    if (!m_keepDays)
        return;
    if (const auto refusal
        = removeDayFilesBefore(m_folder, AlarmFilePrefix, utcDayNumber(nowUtcMs) - *m_keepDays))
        emit failed(
            tr("The old alarm log %1 cannot be deleted: %2").arg(refusal->path, refusal->reason));
}

void AlarmLogWriter::reportWriteFailure(const QString &reason)
{
    if (m_failing)
        return;
    m_failing = true;
    emit failed(tr("The alarm log cannot be written in %1: %2")
                    .arg(QDir::toNativeSeparators(m_folder), reason));
}
