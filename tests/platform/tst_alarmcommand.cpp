// SPDX-License-Identifier: MIT
#include "platform/alarmcommand.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class tst_AlarmCommand : public QObject
{
    Q_OBJECT

private slots:
    void raiseAndClear_data();
    void raiseAndClear();
    void outlivesTheApplication();
};

void tst_AlarmCommand::raiseAndClear_data()
{
    // The command's words; "SCRIPT" and "RECORD" stand for a script that
    // appends its arguments after the first to the file RECORD.
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QByteArray>("recorded");
    QTest::addColumn<QString>("failure"); // empty: none

    QTest::newRow("arguments as given, no shell")
        << QStringList{"SCRIPT", "RECORD", "; touch x", "$HOME"}
        << QByteArray("; touch x|$HOME|raise|GustAbove|36.12|\n"
                      "; touch x|$HOME|clear|GustAbove|30|\n")
        << QString();
    QTest::newRow("a missing program") << QStringList{"MISSING"} << QByteArray() << "MISSING";
    QTest::newRow("not executable") << QStringList{"RECORD"} << QByteArray() << "RECORD";
    QTest::newRow("exits with another code than 0")
        << QStringList{"SCRIPT", "RECORD", "--exit-code"}
        << QByteArray("--exit-code|raise|GustAbove|36.12|\n--exit-code|clear|GustAbove|30|\n")
        << "code 3";
}

void tst_AlarmCommand::raiseAndClear()
{
    QFETCH(QStringList, command);
    QFETCH(QByteArray, recorded);
    QFETCH(QString, failure);

    QTemporaryDir folder;
    const QString script = folder.filePath("record-alarm");
    const QString record = folder.filePath("record");
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nrecord=\"$1\"\nshift\nprintf '%s|' \"$@\" >> \"$record\"\n"
               "echo >> \"$record\"\n[ \"$1\" = --exit-code ] && exit 3\nexit 0\n");
    file.close();
    QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));
    QFile plain(record);
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    for (QString &word : command)
        word.replace("SCRIPT", script)
            .replace("RECORD", record)
            .replace("MISSING", folder.filePath("missing"));
    failure.replace("MISSING", folder.filePath("missing")).replace("RECORD", record);

    AlarmCommand alarmCommand(command);
    QSignalSpy failed(&alarmCommand, &AlarmCommand::failed);
    alarmCommand.run(true, "GustAbove", "36.12");
    // Nothing waits for the program; the test does, so that the record keeps
    // the order of the runs.
    QTRY_COMPARE(alarmCommand.running(), 0);
    alarmCommand.run(false, "GustAbove", "30");
    QTRY_COMPARE(alarmCommand.running(), 0);

    QVERIFY(plain.open(QIODevice::ReadOnly));
    QCOMPARE(plain.readAll(), recorded);
    QCOMPARE(failed.size(), failure.isEmpty() ? 0 : 1);
    if (!failure.isEmpty())
        QVERIFY2(failed[0][0].toString().contains(failure), qPrintable(failed[0][0].toString()));
}

// A horn still sounding when the window closes: the program finishes, and
// in a session of its own, so that the terminal's Ctrl+C does not reach it.
void tst_AlarmCommand::outlivesTheApplication()
{
    QTemporaryDir folder;
    const QString script = folder.filePath("slow-alarm");
    const QString record = folder.filePath("record");
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nsleep 0.5\ncut -d' ' -f6 /proc/$$/stat > \"$1.part\"\n"
               "mv \"$1.part\" \"$1\"\n");
    file.close();
    QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));

    {
        AlarmCommand alarmCommand({script, record});
        alarmCommand.run(true, "NoReadingSeconds", "20");
        QCOMPARE(alarmCommand.running(), 1);
    }
    QTRY_VERIFY(QFile::exists(record));
    QFile session(record);
    QVERIFY(session.open(QIODevice::ReadOnly));
    const qint64 programSession = session.readAll().trimmed().toLongLong();
    QVERIFY(programSession > 0);
    QVERIFY(programSession != ::getsid(0));
}

QTEST_GUILESS_MAIN(tst_AlarmCommand)
#include "tst_alarmcommand.moc"
