// SPDX-License-Identifier: MIT
#include "core/windlogwriter.h"

#include "core/apperror.h"
#include "core/dayfiles.h"
#include "core/filecalls.h"
#include "core/logcategories.h"
#include "core/utctime.h"
#include "core/windlogrow.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <utility>

namespace {

// What an outage may keep: an hour by row time, and never more rows than an
// hour at 40 a second (the fastest a 9600-baud sensor line delivers), which
// holds even when the clock is set back.
constexpr qint64 pendingSpanMs = 3600 * 1000;
constexpr std::size_t maxPendingRows = 3600 * 40;

} // namespace

WindLogWriter::WindLogWriter(const QString &folder, int keepDays, QObject *parent)
    : QObject(parent)
    , m_folder(folder)
    , m_keepDays(keepDays)
{
    if (keepDays < 0)
        throw AppError(AppError::Kind::InvalidArgument,
                       QStringLiteral("The wind log cannot keep %1 days.").arg(keepDays));
    // Kept rows are written once the folder is back even when no new row
    // comes (the sensor stopped during the outage, say).
    m_retryTimer.setInterval(1000);
    connect(&m_retryTimer, &QTimer::timeout, this, &WindLogWriter::writePendingRows);
}

void WindLogWriter::append(const WindLogRow &row)
{
    QByteArray line = formatWindLogRow(row);
    line.append('\n');
    m_pending.push_back({row.utcMs, std::move(line)});
    dropRowsBeyondAnHour();
    writePendingRows();
}

void WindLogWriter::dropRowsBeyondAnHour()
{
    const qint64 newestMs = m_pending.back().utcMs;
    bool dropped = false;
    while (m_pending.size() > maxPendingRows
           || m_pending.front().utcMs < newestMs - pendingSpanMs) {
        m_pending.pop_front();
        dropped = true;
    }
    if (dropped && !std::exchange(m_dropReported, true))
        emit failed(tr("The wind log has not been written in %1 for an hour: rows older than "
                       "an hour are being dropped")
                        .arg(QDir::toNativeSeparators(m_folder)));
}

void WindLogWriter::writePendingRows()
{
    while (!m_pending.empty()) {
        if (!writeRow(m_pending.front())) {
            m_retryTimer.start();
            return;
        }
        m_pending.pop_front();
    }
    m_retryTimer.stop();
    m_failing = false;
    m_dropReported = false;
}

bool WindLogWriter::writeRow(const PendingRow &row)
{
    const qint64 day = utcDayNumber(row.utcMs);
    if (!m_hasDay || day != m_day) {
        m_file.close();
        m_day = day;
        m_hasDay = true;
        removeExpiredFiles(row.utcMs);
    }
    // A file deleted or rotated away would swallow every row until midnight.
    if (m_file.isOpen() && !fileIsStillAtItsPath())
        m_file.close();
    if (!m_file.isOpen() && !openFileForDay(day))
        return false;
    return writeAll(row.line);
}

bool WindLogWriter::fileIsStillAtItsPath() const
{
    const std::optional<FileIdentity> atPath = identityOfPath(m_file.fileName());
    return atPath && *atPath == m_openFile;
}

void WindLogWriter::removeExpiredFiles(qint64 nowUtcMs)
{
    if (const auto refusal = removeDayFilesBefore(m_folder, QStringLiteral("wind"),
                                                  utcDayNumber(nowUtcMs) - m_keepDays))
        emit failed(
            tr("The old wind log %1 cannot be deleted: %2").arg(refusal->path, refusal->reason));
}

QString WindLogWriter::fileNameForDay(qint64 utcDay)
{
    return dayFileName(QStringLiteral("wind"), utcDay);
}

bool WindLogWriter::openFileForDay(qint64 utcDay)
{
    const QDir dir(m_folder);
    if (!QFileInfo(m_folder).isDir()) {
        reportWriteFailure(tr("the folder does not exist"));
        return false;
    }
    const QString path = dir.filePath(fileNameForDay(utcDay));
    const std::optional<char> lastByte = lastByteOfFile(path);

    // Unbuffered: each row goes to the file in a single write.
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        reportWriteFailure(m_file.errorString());
        return false;
    }
    m_openFile = identityOfOpenFile(m_file).value_or(FileIdentity{});
    qCDebug(windLog) << "writing to" << path;
    if (m_file.size() == 0)
        return writeAll(QByteArray(windLogHeader) + '\n');
    if (lastByte != '\n')
        return writeAll(QByteArrayLiteral("\n"));
    return true;
}

bool WindLogWriter::writeAll(const QByteArray &bytes)
{
    errno = 0;
    if (m_file.write(bytes) == bytes.size())
        return true;
    const int error = errno;
    // Part of the row may have reached the file; reopening puts the row,
    // written again, on a line of its own.
    reportWriteFailure(writeFailureReason(m_file, error));
    m_file.close();
    return false;
}

void WindLogWriter::reportWriteFailure(const QString &reason)
{
    qCDebug(windLog) << "cannot write in" << m_folder << reason;
    if (m_failing)
        return;
    m_failing = true;
    emit failed(tr("The wind log cannot be written in %1: %2")
                    .arg(QDir::toNativeSeparators(m_folder), reason));
}
