// SPDX-License-Identifier: MIT
#include "core/alarmlogwriter.h"
#include "core/apperror.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

qint64 utc(const char *text)
{
    return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODateWithMs).toMSecsSinceEpoch();
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class tst_AlarmLog : public QObject
{
    Q_OBJECT

private slots:
    void rowText_data();
    void rowText();
    void filesByDay();
    void expiredFilesAreDeleted_data();
    void expiredFilesAreDeleted();
    void unwritableFolderIsReportedOncePerOutage();
};

void tst_AlarmLog::rowText_data()
{
    QTest::addColumn<QString>("alarm");
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("threshold");
    QTest::addColumn<QByteArray>("expected"); // empty: refused

    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("two decimals, shortest")
        << "GustAbove" << 36.1249 << 35.0 << QByteArray(",GustAbove,raise,36.12,35");
    QTest::newRow("rounded up, negative zero")
        << "ShiftDegrees" << 29.999 << -0.0 << QByteArray(",ShiftDegrees,raise,30,0");
    QTest::newRow("not a number") << "MeanAbove" << nan << 10.0 << QByteArray();
    QTest::newRow("a name that would break the row") << "Mean,Above" << 1.0 << 1.0 << QByteArray();
}

void tst_AlarmLog::rowText()
{
    QFETCH(QString, alarm);
    QFETCH(double, value);
    QFETCH(double, threshold);
    QFETCH(QByteArray, expected);

    const AlarmLogRow row{utc("2026-12-07T10:00:00.250Z"), alarm, true, value, threshold};
    if (expected.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(AppError, formatAlarmLogRow(row));
        return;
    }
    QCOMPARE(formatAlarmLogRow(row), "2026-12-07T10:00:00.250Z" + expected);
}

void tst_AlarmLog::filesByDay()
{
    QTemporaryDir folder;
    AlarmLogWriter writer(folder.path(), std::nullopt);
    const QString first = folder.filePath("alarms-2026-12-07.csv");
    const QString second = folder.filePath("alarms-2026-12-08.csv");
    const QByteArray header = "time_utc,alarm,event,value,threshold\n";

    writer.append({utc("2026-12-07T23:59:59.000Z"), "GustAbove", true, 40, 35});
    // A crash tore the last row; the next row starts on a line of its own.
    write(first, contents(first) + "2026-12-07T23:59:59.500Z,Gust");
    writer.append({utc("2026-12-07T23:59:59.900Z"), "GustAbove", false, 30, 35});
    QCOMPARE(contents(first),
             header
                 + "2026-12-07T23:59:59.000Z,GustAbove,raise,40,35\n"
                   "2026-12-07T23:59:59.500Z,Gust\n"
                   "2026-12-07T23:59:59.900Z,GustAbove,clear,30,35\n");

    writer.append({utc("2026-12-08T00:00:00.000Z"), "NoReadingSeconds", true, 20.25, 20});
    // Deleted (or rotated away) while the application runs: started anew.
    QVERIFY(QFile::remove(second));
    writer.append({utc("2026-12-08T00:00:30.000Z"), "NoReadingSeconds", false, 50.25, 20});
    QCOMPARE(contents(second),
             header + "2026-12-08T00:00:30.000Z,NoReadingSeconds,clear,50.25,20\n");
}

void tst_AlarmLog::expiredFilesAreDeleted_data()
{
    QTest::addColumn<std::optional<int>>("keepDays");
    QTest::addColumn<QStringList>("kept");

    const QStringList all = {"alarms-2026-12-04.csv", "alarms-2026-12-05.csv",
                             "alarms-2026-12-07.csv", "alarms-x.csv", "wind-2026-12-01.csv"};
    QTest::newRow("no KeepDays keeps everything") << std::optional<int>() << all;
    QTest::newRow("two days") << std::optional<int>(2)
                              << QStringList{"alarms-2026-12-05.csv", "alarms-2026-12-07.csv",
                                             "alarms-x.csv", "wind-2026-12-01.csv"};
}

void tst_AlarmLog::expiredFilesAreDeleted()
{
    QFETCH(std::optional<int>, keepDays);
    QFETCH(QStringList, kept);

    QTemporaryDir folder;
    for (const char *name :
         {"alarms-2026-12-04.csv", "alarms-2026-12-05.csv", "alarms-x.csv", "wind-2026-12-01.csv"})
        write(folder.filePath(name), "old\n");
    AlarmLogWriter writer(folder.path(), keepDays);
    writer.append({utc("2026-12-07T10:00:00.000Z"), "MeanAbove", true, 26, 25});
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files, QDir::Name), kept);
}

void tst_AlarmLog::unwritableFolderIsReportedOncePerOutage()
{
    QTemporaryDir parent;
    const QString folder = parent.filePath("log");
    AlarmLogWriter writer(folder, std::nullopt);
    QSignalSpy failed(&writer, &AlarmLogWriter::failed);

    const AlarmLogRow row{utc("2026-12-07T10:00:00.000Z"), "MeanAbove", true, 26, 25};
    writer.append(row);
    writer.append(row);
    QCOMPARE(failed.size(), 1);
    QVERIFY(failed[0][0].toString().contains(QDir::toNativeSeparators(folder)));

    QVERIFY(QDir().mkdir(folder));
    writer.append(row);
    QVERIFY(QDir().rmdir(folder) || QDir(folder).removeRecursively());
    writer.append(row);
    QCOMPARE(failed.size(), 2);
}

QTEST_MAIN(tst_AlarmLog)
#include "tst_alarmlog.moc"
