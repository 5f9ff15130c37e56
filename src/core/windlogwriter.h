// SPDX-License-Identifier: MIT
#pragma once

#include "core/filecalls.h"

#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>

struct WindLogRow;

// Writes the data log: one CSV file a UTC day, wind-YYYY-MM-DD.csv in the
// folder, each starting with the header line. Every row is appended in one
// write the moment it is given, so a crash can tear at most the last row;
// a torn last line found when appending to a file gets a line end first, so
// it stays a single bad row instead of spoiling the next one.
//
// Files of that name pattern dated more than keepDays days before the
// current UTC date are deleted at the first row, whenever a row's UTC date
// differs from the previous row's, and whenever removeExpiredFiles() is
// called (at start, and at midnight when no rows may come).
//
// Before each row the writer makes sure the file it holds open is still the
// one at the day's path: a file deleted, or renamed by a log rotation, is
// left as it is and the path opened again, as a new file with its header.
//
// A folder that cannot be written is reported once through failed(). The
// rows that cannot be written are kept in memory, at most the last hour of
// them by row time (reported once when older ones are dropped), and written
// to the files of their own UTC days, in order, before any later row: tried
// again with every row and once a second. A new outage is reported again
// once every kept row has been written. The folder is never created: a
// folder that is not there (an unmounted drive, say) is reported like any
// other.
class WindLogWriter : public QObject
{
    Q_OBJECT

public:
    // Throws AppError (InvalidArgument) for a negative keepDays.
    WindLogWriter(const QString &folder, int keepDays, QObject *parent = nullptr);

    const QString &folder() const { return m_folder; }

    // The row's UTC time picks the file. Failures to write are reported
    // through failed(), never thrown; the row is then kept for later.
    // Throws AppError (InvalidArgument) for a row that formatWindLogRow
    // refuses; nothing is written then.
    void append(const WindLogRow &row);

    // Deletes the log files dated more than keepDays days before the UTC day
    // of nowUtcMs. Files dated later are kept. Failures go to failed().
    void removeExpiredFiles(qint64 nowUtcMs);

    // "wind-2026-12-07.csv" for the UTC day number (0 is 1970-01-01).
    static QString fileNameForDay(qint64 utcDay);

signals:
    // Names the folder or file and the reason.
    void failed(const QString &message);

private:
    struct PendingRow
    {
        qint64 utcMs = 0;
        QByteArray line; // with its line end
    };

    void dropRowsBeyondAnHour();
    void writePendingRows();
    bool writeRow(const PendingRow &row);
    bool fileIsStillAtItsPath() const;
    bool openFileForDay(qint64 utcDay);
    bool writeAll(const QByteArray &bytes);
    void reportWriteFailure(const QString &reason);

    QString m_folder;
    int m_keepDays;
    QFile m_file;
    FileIdentity m_openFile; // what m_file had at its path when it was opened
    qint64 m_day = 0;
    bool m_hasDay = false;
    bool m_failing = false;
    std::deque<PendingRow> m_pending;
    bool m_dropReported = false;
    QTimer m_retryTimer;
};
