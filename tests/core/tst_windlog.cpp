// SPDX-License-Identifier: MIT
#include "core/apperror.h"
#include "core/utctime.h"
#include "core/windlogrow.h"
#include "core/windlogwriter.h"

#include <QDateTime>
#include <QDir>
#include <QMap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

qint64 utc(const char *text)
{
    return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODateWithMs).toMSecsSinceEpoch();
}

WindLogRow row(qint64 utcMs, double direction = 90, double speed = 5)
{
    return {utcMs, direction, speed, serialPortSource(3)};
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

class tst_WindLog : public QObject
{
    Q_OBJECT

private slots:
    void rowsReadBackExactly_data();
    void rowsReadBackExactly();
    void malformedRowsAreRefused_data();
    void malformedRowsAreRefused();
    void rowsThatWouldNotReadBackAreNotWritten_data();
    void rowsThatWouldNotReadBackAreNotWritten();
    void eachUtcDayHasItsFileWithAHeader();
    void appendingToAnExistingFile_data();
    void appendingToAnExistingFile();
    void expiredFilesAreDeleted_data();
    void expiredFilesAreDeleted();
    void anUnwritableFolderIsReportedOncePerOutage_data();
    void anUnwritableFolderIsReportedOncePerOutage();
    void noRowIsLostWhenTheFileOrFolderGoes_data();
    void noRowIsLostWhenTheFileOrFolderGoes();
    void aRowCutShortNamesTheReasonAndIsWrittenAgain();
};

void tst_WindLog::rowsReadBackExactly_data()
{
    QTest::addColumn<qint64>("utcMs");
    QTest::addColumn<double>("direction");
    QTest::addColumn<double>("speed");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("loggedDirection"); // in [0, 360), to the hundredth
    QTest::addColumn<double>("loggedSpeed"); // to the fourth decimal

    QTest::newRow("a serial port sample")
        << utc("2026-12-07T10:00:00.250Z") << 355.5 << 12.25 << "COM3"
        << QByteArray("2026-12-07T10:00:00.250Z,355.5,12.25,COM3") << 355.5 << 12.25;
    QTest::newRow("example mode, whole numbers")
        << utc("2026-12-07T00:00:00.000Z") << 0.0 << 7.0 << "example"
        << QByteArray("2026-12-07T00:00:00.000Z,0,7,example") << 0.0 << 7.0;
    QTest::newRow("a TCP input") << utc("2026-12-07T10:00:00.250Z") << 45.0 << 6.4 << "tcp"
                                 << QByteArray("2026-12-07T10:00:00.250Z,45,6.4,tcp") << 45.0
                                 << 6.4;
    QTest::newRow("a UDP input") << utc("2026-12-07T10:00:00.250Z") << 330.0 << 5.1 << "udp"
                                 << QByteArray("2026-12-07T10:00:00.250Z,330,5.1,udp") << 330.0
                                 << 5.1;
    QTest::newRow("13.41 knots: four decimals, not the conversion's noise")
        << utc("2026-12-07T10:00:00.250Z") << 90.0 << 13.41 * 1852 / 3600 << "tcp"
        << QByteArray("2026-12-07T10:00:00.250Z,90,6.8987,tcp") << 90.0 << 6.8987;
    QTest::newRow("two thirds: four decimals for the speed, two for the direction")
        << utc("2026-12-07T10:00:00.001Z") << 1.0 / 3 << 2.0 / 3 << "COM1"
        << QByteArray("2026-12-07T10:00:00.001Z,0.33,0.6667,COM1") << 0.33 << 0.6667;
    QTest::newRow("trailing zeros go after rounding")
        << utc("2026-12-07T10:00:00.000Z") << 90.0 << 2.50004 << "COM9"
        << QByteArray("2026-12-07T10:00:00.000Z,90,2.5,COM9") << 90.0 << 2.5;
    QTest::newRow("a tiny speed is 0, without an exponent")
        << utc("2026-12-07T10:00:00.000Z") << 90.0 << 1e-7 << "COM9"
        << QByteArray("2026-12-07T10:00:00.000Z,90,0,COM9") << 90.0 << 0.0;
    QTest::newRow("minus zero is written as 0")
        << utc("2026-12-07T10:00:00.000Z") << -0.0 << 0.0 << "COM2"
        << QByteArray("2026-12-07T10:00:00.000Z,0,0,COM2") << 0.0 << 0.0;
    QTest::newRow("359.96 as the window stores it is wrapped")
        << utc("2026-12-07T10:00:00.000Z") << -0.040000000000020464 << 3.0 << "COM2"
        << QByteArray("2026-12-07T10:00:00.000Z,359.96,3,COM2") << 359.96 << 3.0;
    QTest::newRow("720, corrected once by the window, is 0")
        << utc("2026-12-07T10:00:00.000Z") << 360.0 << 3.0 << "COM2"
        << QByteArray("2026-12-07T10:00:00.000Z,0,3,COM2") << 0.0 << 3.0;
    QTest::newRow("a leap day's last millisecond")
        << utc("2028-02-29T23:59:59.999Z") << 359.999 << 0.5 << "example" << QByteArray() << 0.0
        << 0.5;
    QTest::newRow("the first millisecond of 1970")
        << qint64(0) << 180.0 << 1.5 << "example"
        << QByteArray("1970-01-01T00:00:00.000Z,180,1.5,example") << 180.0 << 1.5;
    QTest::newRow("the last millisecond of 2200 at the highest speed")
        << utc("2200-12-31T23:59:59.999Z") << 1.0 << 999.9 << "COM12" << QByteArray() << 1.0
        << 999.9;
}

void tst_WindLog::rowsReadBackExactly()
{
    QFETCH(qint64, utcMs);
    QFETCH(double, direction);
    QFETCH(double, speed);
    QFETCH(QString, source);
    QFETCH(QByteArray, text);
    QFETCH(double, loggedDirection);
    QFETCH(double, loggedSpeed);

    const QByteArray written = formatWindLogRow({utcMs, direction, speed, source});
    if (!text.isEmpty())
        QCOMPARE(written, text);
    // QDateTime is the independent judge of the calendar.
    QCOMPARE(written.left(24),
             QDateTime::fromMSecsSinceEpoch(utcMs, Qt::UTC).toString(Qt::ISODateWithMs).toLatin1());

    const std::optional<WindLogRow> read = parseWindLogRow(written);
    QVERIFY(read);
    QCOMPARE(read->utcMs, utcMs);
    QVERIFY(read->directionDegrees == loggedDirection && !std::signbit(read->directionDegrees));
    QVERIFY(read->speedMetresPerSecond == loggedSpeed && !std::signbit(read->speedMetresPerSecond));
    QCOMPARE(read->source, source);
    QVERIFY(parseWindLogRow(written + "\r"));
}

void tst_WindLog::malformedRowsAreRefused_data()
{
    QTest::addColumn<QByteArray>("line");

    // A crash cuts a row anywhere; with the source "example" every cut is
    // recognisable.
    const QByteArray whole("2026-12-07T10:00:00.250Z,355.5,12.25,example");
    for (int length = 0; length < whole.size(); ++length)
        QTest::addRow("torn after %d characters", length) << whole.left(length);

    const QByteArray time("2026-12-07T10:00:00.250Z");
    QTest::newRow("the header") << QByteArray(windLogHeader);
    QTest::newRow("month 13") << QByteArray("2026-13-07T10:00:00.250Z,1,1,COM3");
    QTest::newRow("30 February") << QByteArray("2026-02-30T10:00:00.250Z,1,1,COM3");
    QTest::newRow("hour 24") << QByteArray("2026-12-07T24:00:00.000Z,1,1,COM3");
    QTest::newRow("leap second") << QByteArray("2026-12-31T23:59:60.000Z,1,1,COM3");
    QTest::newRow("no Z") << QByteArray("2026-12-07T10:00:00.250,1,1,COM3");
    QTest::newRow("no milliseconds") << QByteArray("2026-12-07T10:00:00Z,1,1,COM3");
    QTest::newRow("a decimal comma makes five fields") << time + ",355,5,12,25,COM3";
    QTest::newRow("an exponent") << time + ",1e2,1,COM3";
    QTest::newRow("nan") << time + ",nan,1,COM3";
    QTest::newRow("inf") << time + ",1,inf,COM3";
    QTest::newRow("a negative speed") << time + ",1,-0.5,COM3";
    QTest::newRow("a speed above 999.9") << time + ",1,999.9000000000001,COM3";
    QTest::newRow("a speed of 1e308 in full")
        << time + ",1," + QByteArray::number(1e308, 'f', 0) + ",COM3";
    QTest::newRow("the millisecond before 1970") << QByteArray("1969-12-31T23:59:59.999Z,1,1,COM3");
    QTest::newRow("the first millisecond of 2201")
        << QByteArray("2201-01-01T00:00:00.000Z,1,1,COM3");
    QTest::newRow("a plus sign") << time + ",+1,1,COM3";
    QTest::newRow("a blank before a number") << time + ", 1,1,COM3";
    QTest::newRow("an empty direction") << time + ",,1,COM3";
    QTest::newRow("port 0") << time + ",1,1,COM0";
    QTest::newRow("a port in lower case") << time + ",1,1,com3";
    QTest::newRow("a port with a blank") << time + ",1,1,COM3 ";
    QTest::newRow("a network input in capitals") << time + ",1,1,TCP";
    QTest::newRow("a network input with its address") << time + ",1,1,udp :10110";
    QTest::newRow("a network input torn") << time + ",1,1,tc";
    QTest::newRow("a fifth field") << time + ",1,1,COM3,";
    QTest::newRow("two rows run together") << time + ",1,1,COM" + time + ",1,1,COM3";
}

void tst_WindLog::malformedRowsAreRefused()
{
    QFETCH(QByteArray, line);

    QString problem;
    QVERIFY(!parseWindLogRow(line, &problem));
    QVERIFY(!problem.isEmpty());
}

void tst_WindLog::rowsThatWouldNotReadBackAreNotWritten_data()
{
    QTest::addColumn<WindLogRow>("row");

    const qint64 time = utc("2026-12-07T10:00:00.250Z");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("a direction that is not a number") << WindLogRow{time, nan, 1, "COM3"};
    QTest::newRow("an infinite speed")
        << WindLogRow{time, 1, std::numeric_limits<double>::infinity(), "COM3"};
    QTest::newRow("a negative speed") << WindLogRow{time, 1, -1, "COM3"};
    QTest::newRow("a source with a comma") << WindLogRow{time, 1, 1, "COM3,x"};
    QTest::newRow("no source") << WindLogRow{time, 1, 1, ""};
    QTest::newRow("a speed above 999.9") << WindLogRow{time, 1, 999.9000000000001, "COM3"};
    QTest::newRow("a clock before 1970") << WindLogRow{-1, 1, 1, "COM3"};
    QTest::newRow("the year 2201") << WindLogRow{utc("2201-01-01T00:00:00.000Z"), 1, 1, "COM3"};
}

void tst_WindLog::rowsThatWouldNotReadBackAreNotWritten()
{
    QFETCH(WindLogRow, row);

    QTemporaryDir folder;
    WindLogWriter writer(folder.path(), 30);
    QVERIFY_THROWS_EXCEPTION(AppError, writer.append(row));
    QVERIFY(QDir(folder.path()).isEmpty());
}

void tst_WindLog::eachUtcDayHasItsFileWithAHeader()
{
    QTemporaryDir folder;
    WindLogWriter writer(folder.path(), 30);
    const WindLogRow late = row(utc("2026-12-07T23:59:59.999Z"), 355.5, 12.25);
    const WindLogRow early = row(utc("2026-12-08T00:00:00.000Z"), 5, 3);
    writer.append(late);
    // On disk at once, while the writer still holds the file.
    const QString first = folder.filePath(QStringLiteral("wind-2026-12-07.csv"));
    QCOMPARE(contents(first), QByteArray(windLogHeader) + '\n' + formatWindLogRow(late) + '\n');
    writer.append(early);
    QCOMPARE(contents(folder.filePath(QStringLiteral("wind-2026-12-08.csv"))),
             QByteArray(windLogHeader) + '\n' + formatWindLogRow(early) + '\n');
    QCOMPARE(contents(first), QByteArray(windLogHeader) + '\n' + formatWindLogRow(late) + '\n');
}

void tst_WindLog::appendingToAnExistingFile_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("added");

    const QByteArray header = QByteArray(windLogHeader) + '\n';
    const QByteArray complete("2026-12-07T10:00:00.000Z,1,1,COM3\n");
    QTest::newRow("after a complete row") << header + complete << QByteArray();
    QTest::newRow("a torn last row gets its line end first")
        << header + complete + "2026-12-07T10:00:00.250Z,355.5,12.2" << QByteArray("\n");
    QTest::newRow("an empty file gets the header") << QByteArray() << header;
    QTest::newRow("a torn header stays one bad line")
        << QByteArray("time_utc,dir") << QByteArray("\n");
}

void tst_WindLog::appendingToAnExistingFile()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, added);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("wind-2026-12-07.csv"));
    write(path, before);
    WindLogWriter writer(folder.path(), 30);
    const WindLogRow next = row(utc("2026-12-07T11:00:00.000Z"));
    writer.append(next);
    QCOMPARE(contents(path), before + added + formatWindLogRow(next) + '\n');
}

void tst_WindLog::expiredFilesAreDeleted_data()
{
    QTest::addColumn<int>("keepDays");
    QTest::addColumn<bool>("onANewDay");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("kept");

    const QStringList thirtyOne{"wind-2026-11-06.csv", "wind-2026-11-07.csv",
                                "wind-2026-12-06.csv"};
    QTest::newRow("at start: 30 days back kept, 31 deleted")
        << 30 << false << thirtyOne << QStringList{"wind-2026-11-07.csv", "wind-2026-12-06.csv"};
    QTest::newRow("at a new UTC day")
        << 30 << true << thirtyOne
        << QStringList{"wind-2026-11-07.csv", "wind-2026-12-06.csv", "wind-2026-12-07.csv"};
    QTest::newRow("KeepDays 0 keeps today only")
        << 0 << false << QStringList{"wind-2026-12-06.csv", "wind-2026-12-07.csv"}
        << QStringList{"wind-2026-12-07.csv"};
    QTest::newRow("other names and later dates are left alone")
        << 1 << false
        << QStringList{"wind-2020-01-01.csv.bak", "wind-2020-1-01.csv",  "notes.csv",
                       "wind-2020-02-30.csv",     "wind-2027-01-01.csv", "wind-deck-2026-01-01.csv"}
        << QStringList{"notes.csv",          "wind-2020-02-30.csv", "wind-2020-01-01.csv.bak",
                       "wind-2020-1-01.csv", "wind-2027-01-01.csv", "wind-deck-2026-01-01.csv"};
}

void tst_WindLog::expiredFilesAreDeleted()
{
    QFETCH(int, keepDays);
    QFETCH(bool, onANewDay);
    QFETCH(QStringList, files);
    QFETCH(QStringList, kept);

    QTemporaryDir folder;
    for (const QString &name : files)
        write(folder.filePath(name), "x\n");
    WindLogWriter writer(folder.path(), keepDays);
    const qint64 today = utc("2026-12-07T00:00:00.000Z");
    if (onANewDay) {
        // Rows of a day before that day's files existed delete nothing yet.
        writer.append(row(today - utcDayMs * 40));
        QFile::remove(folder.filePath(QStringLiteral("wind-2026-10-28.csv")));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), files.size());
        writer.append(row(today));
    } else {
        writer.removeExpiredFiles(today + utcDayMs - 1);
    }
    QStringList remaining = QDir(folder.path()).entryList(QDir::Files);
    remaining.sort();
    kept.sort();
    QCOMPARE(remaining, kept);
}

void tst_WindLog::anUnwritableFolderIsReportedOncePerOutage_data()
{
    QTest::addColumn<QString>("folderName");
    QTest::addColumn<QString>("fileInTheWay");
    QTest::addColumn<QString>("reason");

    QTest::newRow("a folder that is not there")
        << "absent" << QString() << "the folder does not exist";
    QTest::newRow("a folder where a file stands") << "taken"
                                                  << "taken"
                                                  << "the folder does not exist";
    QTest::newRow("a day's file name taken by a folder") << "log"
                                                         << "log/wind-2026-12-07.csv/"
                                                         << "Is a directory";
    QTest::newRow("a full disk") << "log"
                                 << "log/wind-2026-12-07.csv -> /dev/full"
                                 << "No space left on device";
}

void tst_WindLog::anUnwritableFolderIsReportedOncePerOutage()
{
    QFETCH(QString, folderName);
    QFETCH(QString, fileInTheWay);
    QFETCH(QString, reason);

    QTemporaryDir root;
    const QString folder = root.filePath(folderName);
    const QString inTheWay = root.filePath(fileInTheWay.section(QStringLiteral(" -> "), 0, 0));
    if (inTheWay.endsWith(QLatin1Char('/')))
        QVERIFY(QDir().mkpath(inTheWay));
    else if (fileInTheWay.contains(QStringLiteral(" -> ")))
        QVERIFY(QDir().mkpath(folder)
                && QFile::link(fileInTheWay.section(QStringLiteral(" -> "), 1), inTheWay));
    else if (!fileInTheWay.isEmpty())
        write(inTheWay, "x");

    WindLogWriter writer(folder, 30);
    QSignalSpy failed(&writer, &WindLogWriter::failed);
    const qint64 time = utc("2026-12-07T10:00:00.000Z");
    QByteArray rows;
    for (int i = 0; i < 5; ++i) {
        writer.append(row(time + i * 250));
        rows += formatWindLogRow(row(time + i * 250)) + '\n';
    }
    QCOMPARE(failed.size(), 1);
    const QString message = failed.first().first().toString();
    QVERIFY2(message.contains(QDir::toNativeSeparators(folder)) && message.endsWith(": " + reason),
             qPrintable(message));

    // Writable again: the log resumes with the next row, the outage's rows
    // first.
    if (inTheWay.endsWith(QLatin1Char('/')))
        QVERIFY(QDir(inTheWay).removeRecursively());
    else if (!fileInTheWay.isEmpty())
        QVERIFY(QFile::remove(inTheWay));
    QVERIFY(QDir().mkpath(folder));
    const WindLogRow resumed = row(time + 5000);
    writer.append(resumed);
    QCOMPARE(contents(QDir(folder).filePath(QStringLiteral("wind-2026-12-07.csv"))),
             QByteArray(windLogHeader) + '\n' + rows + formatWindLogRow(resumed) + '\n');

    // A later outage is reported again, once.
    QVERIFY(QDir(folder).removeRecursively());
    writer.append(row(time + utcDayMs));
    writer.append(row(time + utcDayMs + 250));
    QCOMPARE(failed.size(), 2);
}

void tst_WindLog::noRowIsLostWhenTheFileOrFolderGoes_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<qint64>("start");
    QTest::addColumn<int>("outageRows"); // before the folder is made again
    QTest::addColumn<int>("laterRows");
    QTest::addColumn<int>("messages");
    QTest::addColumn<int>("droppedRows");
    QTest::addColumn<int>("stepMs"); // between rows

    const qint64 morning = utc("2026-12-07T10:00:00.000Z");
    QTest::newRow("today's file deleted") << "delete file" << morning << 4 << 4 << 0 << 0 << 250;
    QTest::newRow("today's file rotated: it keeps its rows")
        << "rename file" << morning << 4 << 4 << 0 << 0 << 250;
    QTest::newRow("today's file rotated and made again at once")
        << "rename and create" << morning << 4 << 4 << 0 << 0 << 250;
    QTest::newRow("the folder deleted and made again")
        << "delete folder" << morning << 8 << 4 << 1 << 0 << 250;
    QTest::newRow("the folder back while no rows come")
        << "delete folder" << morning << 8 << 0 << 1 << 0 << 250;
    QTest::newRow("an outage across UTC midnight: rows go to their own days")
        << "delete folder" << utc("2026-12-07T23:59:58.000Z") << 8 << 4 << 1 << 0 << 250;
    // 14,401 rows 250 ms apart span an hour; the first later row drops ten.
    QTest::newRow("an outage over an hour keeps the last hour and says so")
        << "delete folder" << morning << 4 * 3600 + 10 << 4 << 2 << 10 << 250;
    // Rows 10 ms apart (many sentences a second over UDP) reach the 144,000
    // rows of an hour at 40 a second within 24 minutes: the count, not the
    // hour, bounds the memory. The first later row drops one more.
    QTest::newRow("rows faster than 40 a second: at most an hour's worth at 40")
        << "delete folder" << morning << 3600 * 40 + 10 << 4 << 2 << 11 << 10;
}

// Rows stepMs apart (250 ms as a sensor sends them); every row given after
// the change is in the file of its day once the folder is back.
void tst_WindLog::noRowIsLostWhenTheFileOrFolderGoes()
{
    QFETCH(QString, change);
    QFETCH(qint64, start);
    QFETCH(int, outageRows);
    QFETCH(int, laterRows);
    QFETCH(int, messages);
    QFETCH(int, droppedRows);
    QFETCH(int, stepMs);

    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("log"));
    QVERIFY(QDir().mkpath(folder));
    WindLogWriter writer(folder, 30);
    QSignalSpy failed(&writer, &WindLogWriter::failed);
    qint64 time = start;
    QList<WindLogRow> after;
    const auto appendRows = [&](int count, QList<WindLogRow> &into) {
        for (int i = 0; i < count; ++i, time += stepMs) {
            writer.append(row(time));
            into.append(row(time));
        }
    };
    QList<WindLogRow> before;
    appendRows(4, before);

    const auto dayFile = [&folder](qint64 utcMs) {
        return QDir(folder).filePath(WindLogWriter::fileNameForDay(utcDayNumber(utcMs)));
    };
    const QString first = dayFile(start);
    if (change == "delete file")
        QVERIFY(QFile::remove(first));
    else if (change.startsWith("rename"))
        QVERIFY(QFile::rename(first, first + ".1"));
    else
        QVERIFY(QDir(folder).removeRecursively());
    if (change == "rename and create")
        write(first, "");
    appendRows(outageRows, after);
    QVERIFY(QDir().mkpath(folder));
    appendRows(laterRows, after);

    QMap<QString, QByteArray> expected;
    const auto expect = [&expected, &dayFile](const QString &path, const QList<WindLogRow> &rows) {
        for (const WindLogRow &kept : rows) {
            QByteArray &file = expected[path.isEmpty() ? dayFile(kept.utcMs) : path];
            file += (file.isEmpty() ? QByteArray(windLogHeader) + '\n' : QByteArray())
                + formatWindLogRow(kept) + '\n';
        }
    };
    if (change.startsWith("rename"))
        expect(first + ".1", before);
    expect(QString(), after.mid(droppedRows));
    for (auto file = expected.cbegin(); file != expected.cend(); ++file)
        QTRY_COMPARE_WITH_TIMEOUT(contents(file.key()), file.value(), 3000);
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), expected.size());
    QCOMPARE(failed.size(), messages);
    for (const QList<QVariant> &message : failed)
        QVERIFY(message.first().toString().contains(QDir::toNativeSeparators(folder)));
}

// A disk that fills up during a row cuts it short, which leaves QFile with
// no reason; the row is written again, whole, on a line of its own.
void tst_WindLog::aRowCutShortNamesTheReasonAndIsWrittenAgain()
{
#ifdef Q_OS_UNIX
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("wind-2026-12-07.csv"));
    const WindLogRow first = row(utc("2026-12-07T10:00:00.000Z"), 1);
    const WindLogRow cut = row(first.utcMs + 250, 355.5);
    WindLogWriter writer(folder.path(), 30);
    QSignalSpy failed(&writer, &WindLogWriter::failed);
    writer.append(first);

    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = QFileInfo(path).size() + 10;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limited) == 0);
    writer.append(cut);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_DFL);
    writer.append(row(cut.utcMs + 250));

    QCOMPARE(failed.size(), 1);
    QVERIFY2(failed.first().first().toString().endsWith(": File too large"),
             qPrintable(failed.first().first().toString()));
    const QByteArray cutRow = formatWindLogRow(cut);
    QCOMPARE(contents(path),
             QByteArray(windLogHeader) + '\n' + formatWindLogRow(first) + '\n' + cutRow.left(10)
                 + '\n' + cutRow + '\n' + formatWindLogRow(row(cut.utcMs + 250)) + '\n');
#else
    QSKIP("needs a file size limit");
#endif
}

QTEST_GUILESS_MAIN(tst_WindLog)

#include "tst_windlog.moc"
