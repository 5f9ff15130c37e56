#pragma once

#include <QFile>
#include <QObject>
#include <QString>

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
// A folder that cannot be written is reported once through failed(); the
// writer goes on trying with every row, quietly, and reports again only
// after a row has been written. The folder is never created: a folder that
// is not there (an unmounted drive, say) is reported like any other.
class WindLogWriter : public QObject
{
    Q_OBJECT

public:
    // Throws AppError (InvalidArgument) for a negative keepDays.
    WindLogWriter(const QString &folder, int keepDays, QObject *parent = nullptr);

    const QString &folder() const { return m_folder; }

    // The row's UTC time picks the file. Failures to write are reported
    // through failed(), never thrown.
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
    bool openFileForDay(qint64 utcDay);
    bool writeAll(const QByteArray &bytes);
    void reportWriteFailure(const QString &reason);

    QString m_folder;
    int m_keepDays;
    QFile m_file;
    qint64 m_day = 0;
    bool m_hasDay = false;
    bool m_failing = false;
};
