// SPDX-License-Identifier: MIT
#include "core/alarmlogwriter.h"

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

namespace {

std::optional<qint64> utcDayOfFileName(const QString &name)
{
    static const QRegularExpression pattern(
        QStringLiteral("^alarms-(\\d{4})-(\\d{2})-(\\d{2})\\.csv$"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(match.capturedView(1).toInt(), match.capturedView(2).toInt(),
                     match.capturedView(3).toInt());
    if (!date.isValid())
        return std::nullopt;
    return utcDayNumberOf(date);
}

} // namespace

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
    if (writeRow(QDir(m_folder).filePath(fileNameForDay(day)), line))
        m_failing = false;
}

bool AlarmLogWriter::writeRow(const QString &path, const QByteArray &line)
{
    QFile file(path);
    // Unbuffered: the row goes to the file in a single write.
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered)) {
        reportWriteFailure(file.errorString());
        return false;
    }
    QByteArray bytes = line;
    if (file.size() == 0) {
        bytes.prepend(QByteArray(alarmLogHeader) + '\n');
    } else {
        char last = 0;
        if (file.seek(file.size() - 1) && file.read(&last, 1) == 1 && last != '\n')
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
    const qint64 oldestKept = utcDayNumber(nowUtcMs) - *m_keepDays;
    QDir dir(m_folder);
    const QStringList names
        = dir.entryList({QStringLiteral("alarms-*.csv")}, QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        const std::optional<qint64> day = utcDayOfFileName(name);
        if (!day || *day >= oldestKept)
            continue;
        QFile file(dir.filePath(name));
        if (!file.remove()) {
            // Once a pass: one stuck file would otherwise speak for every other.
            emit failed(tr("The old alarm log %1 cannot be deleted: %2")
                            .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
            return;
        }
    }
}

QString AlarmLogWriter::fileNameForDay(qint64 utcDay)
{
    const QDate date = utcDate(utcDay * utcDayMs);
    return QStringLiteral("alarms-%1.csv").arg(date.toString(QStringLiteral("yyyy-MM-dd")));
}

void AlarmLogWriter::reportWriteFailure(const QString &reason)
{
    if (m_failing)
        return;
    m_failing = true;
    emit failed(tr("The alarm log cannot be written in %1: %2")
                    .arg(QDir::toNativeSeparators(m_folder), reason));
}
