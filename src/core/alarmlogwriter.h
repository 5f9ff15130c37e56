// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <optional>

// One raise or clear of a wind alarm, stamped with the UTC time it happened:
//
//     time_utc,alarm,event,value,threshold
//     2026-12-07T10:00:00.250Z,GustAbove,raise,36.12,35
//
// The value and threshold are in the alarm section's unit (the speeds) or in
// degrees and seconds, rounded to two decimals, with a point whatever the
// user's locale.
struct AlarmLogRow
{
    qint64 utcMs = 0;
    QString alarm; // the alarm's name: letters only
    bool raised = true; // "raise" or "clear"
    double value = 0;
    double threshold = 0;
};

inline constexpr char alarmLogHeader[] = "time_utc,alarm,event,value,threshold";

// A value or threshold as the log writes it, and as the alarm command gets
// it: "36.12", "35".
QByteArray alarmFigureText(double value);

// The row's text, without a line end.
// Throws AppError (InvalidArgument) for a value or threshold that is not
// finite, a name that is not letters only, or a time outside the years 1 to
// 9999.
QByteArray formatAlarmLogRow(const AlarmLogRow &row);

// Writes the alarms beside the data log: one CSV file a UTC day,
// alarms-YYYY-MM-DD.csv, each starting with the header line. Alarms are
// rare, so each row opens the file, appends itself in one write and closes
// it again: a file that was moved or deleted in between is simply started
// anew, and a torn last line left by a crash gets a line end first.
//
// With keepDays, files of that name pattern dated more than keepDays days
// before the current UTC date are deleted at the first row, whenever a row's
// UTC date differs from the previous row's, and whenever
// removeExpiredFiles() is called.
//
// A folder that cannot be written is reported once through failed(), and
// again only after a row has been written.
class AlarmLogWriter : public QObject
{
    Q_OBJECT

public:
    AlarmLogWriter(const QString &folder, std::optional<int> keepDays, QObject *parent = nullptr);

    // Failures to write are reported through failed(), never thrown.
    // Throws AppError (InvalidArgument) for a row formatAlarmLogRow refuses.
    void append(const AlarmLogRow &row);
    void removeExpiredFiles(qint64 nowUtcMs);

signals:
    // Names the folder or file and the reason.
    void failed(const QString &message);

private:
    bool writeRow(const QString &path, const QByteArray &line);
    void reportWriteFailure(const QString &reason);

    QString m_folder;
    std::optional<int> m_keepDays;
    std::optional<qint64> m_day;
    bool m_failing = false;
};
