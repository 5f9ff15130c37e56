// SPDX-License-Identifier: MIT
#include "core/apperror.h"
#include "core/inifile.h"

#include <QTest>

class tst_IniFile : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void sectionKeys_data();
    void sectionKeys();
    void write_data();
    void write();
    void writeKeepsTheFilesLineEnd_data();
    void writeKeepsTheFilesLineEnd();
    void append_data();
    void append();
    void rejectsEntriesThatCannotBeReadBack_data();
    void rejectsEntriesThatCannotBeReadBack();
};

static const QByteArray sample = "; wind settings\r\n"
                                 "[PARAMETRES]\r\n"
                                 "SerialPort1-COM=3\r\n"
                                 "DummyMode=False\r\n"
                                 "[VALUES]\r\n"
                                 "Angle=270\r\n"
                                 "Wind=5.5\r\n";

void tst_IniFile::read_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("plain") << sample << QByteArray("VALUES") << QByteArray("Wind")
                           << QByteArray("5.5");
    QTest::newRow("names ignore case")
        << sample << QByteArray("parametres") << QByteArray("DUMMYMODE") << QByteArray("False");
    QTest::newRow("missing key") << sample << QByteArray("VALUES") << QByteArray("Speed")
                                 << QByteArray();
    QTest::newRow("missing section")
        << sample << QByteArray("OTHER") << QByteArray("Wind") << QByteArray();
    QTest::newRow("first section wins")
        << QByteArray("[A]\r\nk=first\r\n[a]\r\nk=second\r\nj=2\r\n") << QByteArray("A")
        << QByteArray("k") << QByteArray("first");
    QTest::newRow("key only in a later section of that name")
        << QByteArray("[A]\r\nk=1\r\n[A]\r\nj=2\r\n") << QByteArray("A") << QByteArray("j")
        << QByteArray();
    QTest::newRow("first entry wins") << QByteArray("[A]\r\nk=1\r\nK=2\r\n") << QByteArray("A")
                                      << QByteArray("k") << QByteArray("1");
    QTest::newRow("blanks around names and values")
        << QByteArray("  [ A ]  \r\n\t k \t=  v w \t\r\n") << QByteArray("A") << QByteArray("k")
        << QByteArray("v w");
    QTest::newRow("LF-only line ends")
        << QByteArray("[A]\nk=1\nj=2\n") << QByteArray("A") << QByteArray("k") << QByteArray("1");
    QTest::newRow("last line without line end")
        << QByteArray("[A]\r\nk=7") << QByteArray("A") << QByteArray("k") << QByteArray("7");
    QTest::newRow("comment is no entry") << QByteArray("[A]\r\n;k=1\r\nk=2\r\n") << QByteArray("A")
                                         << QByteArray("k") << QByteArray("2");
    QTest::newRow("entry before any section")
        << QByteArray("k=1\r\n[A]\r\n") << QByteArray("A") << QByteArray("k") << QByteArray();
    QTest::newRow("value holding '='") << QByteArray("[A]\r\nk=a=b\r\n") << QByteArray("A")
                                       << QByteArray("k") << QByteArray("a=b");
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[A]\r\nk=1\r\n") << QByteArray("A")
                                     << QByteArray("k") << QByteArray("1");
    QTest::newRow("300 characters cut to 254")
        << QByteArray("[A]\r\nk=" + QByteArray(254, 'x') + QByteArray(46, 'y') + "\r\n")
        << QByteArray("A") << QByteArray("k") << QByteArray(254, 'x');
}

void tst_IniFile::read()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, expected);
    QCOMPARE(iniReadValue(file, section, key), expected);

    // Listing the section finds the same value under the key's first entry,
    // whole: the readers of the sections refuse a value too long to keep.
    QByteArray listed;
    for (const auto &[name, value] : iniSectionEntries(file, section)) {
        if (listed.isNull()
            && QString::fromLatin1(name).compare(QLatin1String(key), Qt::CaseInsensitive) == 0)
            listed = value;
    }
    QCOMPARE(listed.left(IniMaxValueLength), expected);
}

void tst_IniFile::sectionKeys_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<QByteArray>>("keys"); // of section A

    QTest::newRow("as spelt, in order, repeats kept")
        << QByteArray("[B]\r\nz=0\r\n[a]\r\n Wind =5\r\nangle=\r\nWIND=6\r\n")
        << QList<QByteArray>{"Wind", "angle", "WIND"};
    QTest::newRow("comments and lines without '=' hold no key")
        << QByteArray("[A]\r\n;k=1\r\nk 2\r\n=3\r\n") << QList<QByteArray>{""};
    QTest::newRow("first section of the name only")
        << QByteArray("[A]\nk=1\n[B]\nj=2\n[A]\ni=3\n") << QList<QByteArray>{"k"};
    QTest::newRow("no such section") << sample << QList<QByteArray>{};
}

void tst_IniFile::sectionKeys()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<QByteArray>, keys);
    QList<QByteArray> written;
    for (const auto &[key, value] : iniSectionEntries(file, "A"))
        written.append(key);
    QCOMPARE(written, keys);
}

void tst_IniFile::write_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("replace in place")
        << sample << QByteArray("PARAMETRES") << QByteArray("DummyMode") << QByteArray("True")
        << QByteArray(sample).replace("=False", "=True");
    QTest::newRow("replace keeps the file's spelling")
        << QByteArray("[Values]\r\n  angle = 1 \r\n") << QByteArray("VALUES") << QByteArray("Angle")
        << QByteArray("2") << QByteArray("[Values]\r\nangle=2\r\n");
    QTest::newRow("replace in the first section of that name")
        << QByteArray("[A]\r\nk=1\r\n[A]\r\nk=2\r\n") << QByteArray("a") << QByteArray("K")
        << QByteArray("3") << QByteArray("[A]\r\nk=3\r\n[A]\r\nk=2\r\n");
    QTest::newRow("untouched lines keep every byte")
        << QByteArray("; note\n[A]\nx = 1\n\n; old\r\nk=1\n[B]\nz=0") << QByteArray("A")
        << QByteArray("k") << QByteArray("2")
        << QByteArray("; note\n[A]\nx = 1\n\n; old\r\nk=2\n[B]\nz=0");
    QTest::newRow("key added after the section's last entry")
        << QByteArray("[A]\r\nx=1\r\n\r\n; about B\r\n[B]\r\ny=2\r\n") << QByteArray("A")
        << QByteArray("k") << QByteArray("v")
        << QByteArray("[A]\r\nx=1\r\nk=v\r\n\r\n; about B\r\n[B]\r\ny=2\r\n");
    // An unreadable line may be an entry mistyped by hand: it stays among
    // the section's entries, and the new key goes after it, where keys are
    // added, not between it and the entry before.
    QTest::newRow("key added after an unreadable last line")
        << QByteArray("[A]\r\nx=1\r\njunk\r\n[B]\r\n") << QByteArray("A") << QByteArray("k")
        << QByteArray("v") << QByteArray("[A]\r\nx=1\r\njunk\r\nk=v\r\n[B]\r\n");
    QTest::newRow("key added after an unreadable line, before a closing comment")
        << QByteArray("[A]\nx=1\njunk\n\n; about B\n[B]\n") << QByteArray("A") << QByteArray("k")
        << QByteArray("v") << QByteArray("[A]\nx=1\njunk\nk=v\n\n; about B\n[B]\n");
    QTest::newRow("key added under the header of an empty section")
        << QByteArray("[A]\r\n\r\n[B]\r\n") << QByteArray("A") << QByteArray("k") << QByteArray("v")
        << QByteArray("[A]\r\nk=v\r\n\r\n[B]\r\n");
    QTest::newRow("key added to a last line without line end")
        << QByteArray("[A]\nx=1") << QByteArray("A") << QByteArray("k") << QByteArray("v")
        << QByteArray("[A]\nx=1\nk=v\n");
    QTest::newRow("section added at the end") << sample << QByteArray("EXTRA") << QByteArray("k")
                                              << QByteArray("v") << sample + "[EXTRA]\r\nk=v\r\n";
    QTest::newRow("section added after a last line without line end")
        << QByteArray("[A]\nx=1") << QByteArray("B") << QByteArray("k") << QByteArray("v")
        << QByteArray("[A]\nx=1\n[B]\nk=v\n");
    QTest::newRow("section added to an empty file")
        << QByteArray() << QByteArray("A") << QByteArray("k") << QByteArray("v")
        << QByteArray("[A]\r\nk=v\r\n");
    QTest::newRow("commented-out key is not replaced")
        << QByteArray("[A]\r\n;k=1\r\n") << QByteArray("A") << QByteArray("k") << QByteArray("2")
        << QByteArray("[A]\r\nk=2\r\n;k=1\r\n");
}

void tst_IniFile::write()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, expected);
    const QByteArray written = iniWriteValue(file, section, key, value);
    QCOMPARE(written, expected);
    QCOMPARE(iniReadValue(written, section, key), value.left(IniMaxValueLength));
}

void tst_IniFile::writeKeepsTheFilesLineEnd_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("LF stays LF") << QByteArray("[VALUES]\nAngle=1\nWind=1\n")
                                 << QByteArray("[VALUES]\nAngle=2\nWind=1\n[NEW]\nk=v\n");
    QTest::newRow("CR LF stays CR LF")
        << QByteArray("[VALUES]\r\nAngle=1\r\nWind=1\r\n")
        << QByteArray("[VALUES]\r\nAngle=2\r\nWind=1\r\n[NEW]\r\nk=v\r\n");
    QTest::newRow("LF without a final line end")
        << QByteArray("[VALUES]\nWind=1\nAngle=1")
        << QByteArray("[VALUES]\nWind=1\nAngle=2\n[NEW]\nk=v\n");
    QTest::newRow("no line end at all gets CR LF")
        << QByteArray("[VALUES]") << QByteArray("[VALUES]\r\nAngle=2\r\n[NEW]\r\nk=v\r\n");
    QTest::newRow("mixed: the first line end decides")
        << QByteArray("[VALUES]\nAngle=1\r\nWind=1\r\n")
        << QByteArray("[VALUES]\nAngle=2\nWind=1\r\n[NEW]\nk=v\n");
}

void tst_IniFile::writeKeepsTheFilesLineEnd()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, expected);
    const QByteArray written
        = iniWriteValue(iniWriteValue(file, "VALUES", "Angle", "2"), "NEW", "k", "v");
    QCOMPARE(written, expected);
}

void tst_IniFile::append_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty file") << QByteArray() << QByteArray("[A]\r\n");
    QTest::newRow("after CR LF") << QByteArray("x=1\r\n") << QByteArray("x=1\r\n[A]\r\n");
    QTest::newRow("after LF") << QByteArray("x=1\n") << QByteArray("x=1\n[A]\n");
    QTest::newRow("after no line end") << QByteArray("x=1") << QByteArray("x=1\r\n[A]\r\n");
    QTest::newRow("after a lone CR") << QByteArray("x=1\r") << QByteArray("x=1\r\n[A]\r\n");
}

void tst_IniFile::append()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, expected);
    QCOMPARE(iniAppendLine(file, "[A]"), expected);
}

void tst_IniFile::rejectsEntriesThatCannotBeReadBack_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");

    QTest::newRow("line break in value")
        << QByteArray("A") << QByteArray("k") << QByteArray("1\r\n[B]");
    QTest::newRow("LF in key") << QByteArray("A") << QByteArray("k\nj") << QByteArray("1");
    QTest::newRow("CR in section") << QByteArray("A\rB") << QByteArray("k") << QByteArray("1");
    QTest::newRow("'=' in key") << QByteArray("A") << QByteArray("k=j") << QByteArray("1");
}

void tst_IniFile::rejectsEntriesThatCannotBeReadBack()
{
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    try {
        iniWriteValue(sample, section, key, value);
        QFAIL("no error raised");
    } catch (const AppError &error) {
        QCOMPARE(error.kind(), AppError::Kind::InvalidArgument);
    }
}

QTEST_APPLESS_MAIN(tst_IniFile)
#include "tst_inifile.moc"
