// SPDX-License-Identifier: MIT
#include "core/alarmlogwriter.h"
#include "core/apperror.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

static qint64 utc(const char *text)
{
    return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODateWithMs).toMSecsSinceEpoch();
}

static QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

static void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class tst_AlarmLog : public QObject
{
    Q_OBJECT

private slots:
    void rowsThatWouldNotReadBackAreRefused();
    void filesByDay();
    void expiredFilesAndFailures();
};

void tst_AlarmLog::rowsThatWouldNotReadBackAreRefused()
{
    const qint64 time = utc("2026-12-07T10:00:00.250Z");
    QCOMPARE(formatAlarmLogRow({time, "ShiftDegrees", true, 29.999, -0.0}),
             "2026-12-07T10:00:00.250Z,ShiftDegrees,raise,30,0");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QVERIFY_THROWS_EXCEPTION(AppError, formatAlarmLogRow({time, "MeanAbove", true, nan, 10}));
    QVERIFY_THROWS_EXCEPTION(AppError, formatAlarmLogRow({time, "Mean,Above", true, 1, 1}));
}

void tst_AlarmLog::filesByDay()
{
    QTemporaryDir folder;
    AlarmLogWriter writer(folder.path(), std::nullopt);
    const QString first = folder.filePath("alarms-2026-12-07.csv");
    const QString second = folder.filePath("alarms-2026-12-08.csv");
    const QByteArray header = "time_utc,alarm,event,value,threshold\n";

    writer.append({utc("2026-12-07T23:59:59.000Z"), "GustAbove", true, 40.125, 35});
    // A crash tore the last row; the next row starts on a line of its own.
    write(first, contents(first) + "2026-12-07T23:59:59.500Z,Gust");
    writer.append({utc("2026-12-07T23:59:59.900Z"), "GustAbove", false, 30, 35});
    QCOMPARE(contents(first),
             header
                 + "2026-12-07T23:59:59.000Z,GustAbove,raise,40.13,35\n"
                   "2026-12-07T23:59:59.500Z,Gust\n"
                   "2026-12-07T23:59:59.900Z,GustAbove,clear,30,35\n");

    writer.append({utc("2026-12-08T00:00:00.000Z"), "NoReadingSeconds", true, 20.25, 20});
    // Deleted or rotated away while the application runs: started anew.
    QVERIFY(QFile::remove(second));
    writer.append({utc("2026-12-08T00:00:30.000Z"), "NoReadingSeconds", false, 50.25, 20});
    QCOMPARE(contents(second),
             header + "2026-12-08T00:00:30.000Z,NoReadingSeconds,clear,50.25,20\n");
}

void tst_AlarmLog::expiredFilesAndFailures()
{
    QTemporaryDir parent;
    const QString folder = parent.filePath("log");
    AlarmLogWriter writer(folder, 2);
    QSignalSpy failed(&writer, &AlarmLogWriter::failed);
    const AlarmLogRow row{utc("2026-12-07T10:00:00.000Z"), "MeanAbove", true, 26, 25};
    writer.append(row);
    writer.append(row);
    QCOMPARE(failed.size(), 1);
    QVERIFY(failed[0][0].toString().contains(QDir::toNativeSeparators(folder)));

    QVERIFY(QDir().mkdir(folder));
    for (const char *name :
         {"alarms-2026-12-04.csv", "alarms-2026-12-05.csv", "alarms-x.csv", "wind-2026-12-01.csv"})
        write(QDir(folder).filePath(name), "old\n");
    // The first row of a new day clears out, and a written row ends the
    // outage, so the next one is reported again.
    writer.append({utc("2026-12-08T00:00:00.000Z"), "MeanAbove", false, 20, 25});
    QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name),
             (QStringList{"alarms-2026-12-08.csv", "alarms-x.csv", "wind-2026-12-01.csv"}));
    QVERIFY(QDir(folder).removeRecursively());
    writer.append(row);
    QCOMPARE(failed.size(), 2);
}

QTEST_MAIN(tst_AlarmLog)
#include "tst_alarmlog.moc"
