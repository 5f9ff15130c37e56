#include "platform/apperror.h"
#include "shell/module1.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

class tst_Module1 : public QObject
{
    Q_OBJECT

private slots:
    void freshFile();
    void existingFileIsLeftAlone();
    void nameDifferingInCaseCountsAsMissing();
    void unseenFileGetsSecondHeaders();
    void folderChoice_data();
    void folderChoice();
    void creationFailureNamesThePath();
    void writeFailureNamesThePath();
    void writeKeepsPermissions();
    void failedWriteKeepsTheOldFile();
};

static const QByteArray freshSixLines = "[PARAMETRES]\r\nSerialPort1-COM=1\r\nDummyMode=True\r\n"
                                        "[VALUES]\r\nAngle=1\r\nWind=1\r\n";

// The main window's start-up creates a missing file in these seven steps.
static void ensureSettingsFile(Module1 &settings, const QString &name = "Application.ini")
{
    settings.IniSetFile(name);
    settings.IniEnsureSection("PARAMETRES");
    settings.IniSeedKey("PARAMETRES", "SerialPort1-COM", "1");
    settings.IniSeedKey("PARAMETRES", "DummyMode", "True");
    settings.IniEnsureSection("VALUES");
    settings.IniSeedKey("VALUES", "Angle", "1");
    settings.IniSeedKey("VALUES", "Wind", "1");
}

static QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

static void writeContents(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void tst_Module1::freshFile()
{
    QTemporaryDir exe;
    Module1 settings(exe.path(), exe.filePath("fallback"));
    settings.IniSetFile("Application.ini");
    QCOMPARE(settings.IniReadKey("VALUES", "Angle"), QString());

    ensureSettingsFile(settings);
    QCOMPARE(settings.SettingsPath, exe.path() + "/Application.ini");
    QVERIFY(settings.SettingsFileIsNew);
    QCOMPARE(contents(settings.SettingsPath), freshSixLines);
    QCOMPARE(QDir(exe.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList {"Application.ini"});

    settings.IniWriteKey("VALUES", "Wind", "0.5");
    QCOMPARE(settings.IniReadKey("values", "wind"), "0.5");
}

void tst_Module1::existingFileIsLeftAlone()
{
    QTemporaryDir exe;
    const QByteArray handEdited = "; mine\n[PARAMETRES]\nDummyMode=False\n";
    writeContents(exe.filePath("Application.ini"), handEdited);
    Module1 settings(exe.path(), exe.filePath("fallback"));

    ensureSettingsFile(settings);
    QVERIFY(!settings.SettingsFileIsNew);
    QCOMPARE(contents(settings.SettingsPath), handEdited);
    QCOMPARE(settings.IniReadKey("VALUES", "Angle"), QString());
}

void tst_Module1::nameDifferingInCaseCountsAsMissing()
{
    QTemporaryDir exe;
    writeContents(exe.filePath("application.ini"), "[VALUES]\r\nAngle=270\r\n");
    Module1 settings(exe.path(), exe.filePath("fallback"));

    ensureSettingsFile(settings);
    QVERIFY(settings.SettingsFileIsNew);
    // Whether the file system ignores case or not, the defaults are what the
    // file now holds.
    QCOMPARE(settings.IniReadKey("VALUES", "Angle"), "1");
    QCOMPARE(settings.IniReadKey("PARAMETRES", "DummyMode"), "True");
}

// A hidden file is present but not found by the search, as a name differing
// in case is on a file system that ignores case: the default lines are
// appended and the defaults overwrite the stored values.
void tst_Module1::unseenFileGetsSecondHeaders()
{
    QTemporaryDir exe;
    const QByteArray stored = "[PARAMETRES]\r\nSerialPort1-COM=3\r\nDummyMode=False\r\n"
                              "[VALUES]\r\nAngle=270\r\nWind=5.5\r\n";
    writeContents(exe.filePath(".wind.ini"), stored);
    Module1 settings(exe.path(), exe.filePath("fallback"));

    ensureSettingsFile(settings, ".wind.ini");
    QCOMPARE(settings.SettingsPath, exe.filePath(".wind.ini"));
    QCOMPARE(contents(settings.SettingsPath),
             freshSixLines
                 + "[PARAMETRES]\r\nSerialPort1-COM=\r\nDummyMode=\r\n"
                   "[VALUES]\r\nAngle=\r\nWind=\r\n");
}

void tst_Module1::folderChoice_data()
{
    QTest::addColumn<QString>("fileOnDisk");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("expectFallback");

    QTest::newRow("writable folder") << QString() << "writable" << false;
    QTest::newRow("read-only folder holding the file") << "Application.ini"
                                                       << "read-only" << false;
    QTest::newRow("read-only folder") << QString() << "read-only" << true;
    QTest::newRow("read-only folder, name differs in case") << "application.ini"
                                                            << "read-only" << true;
    QTest::newRow("folder gone") << QString() << "gone" << true;
}

void tst_Module1::folderChoice()
{
    QFETCH(QString, fileOnDisk);
    QFETCH(QString, folder);
    QFETCH(bool, expectFallback);

    QTemporaryDir root;
    const QString exe = root.filePath("exe");
    const QString fallback = root.filePath("config/wind");
    const auto writable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    if (folder != "gone")
        QVERIFY(QDir().mkpath(exe));
    if (!fileOnDisk.isEmpty())
        writeContents(exe + '/' + fileOnDisk, "[VALUES]\r\nAngle=7\r\n");
    if (folder == "read-only") {
        QFile::setPermissions(exe, QFile::ReadOwner | QFile::ExeOwner);
        if (QFileInfo(exe).isWritable()) {
            QFile::setPermissions(exe, writable);
            QSKIP("permissions do not stop this user from writing");
        }
    }

    Module1 settings(exe, fallback);
    ensureSettingsFile(settings);
    QFile::setPermissions(exe, writable);

    QCOMPARE(settings.SettingsPath, (expectFallback ? fallback : exe) + "/Application.ini");
    if (expectFallback)
        QCOMPARE(contents(settings.SettingsPath), freshSixLines);
    QCOMPARE(settings.IniReadKey("VALUES", "Angle"), fileOnDisk == "Application.ini" ? "7" : "1");
}

void tst_Module1::creationFailureNamesThePath()
{
    QTemporaryDir root;
    // Neither place can be written: the executable's folder is gone and the
    // fallback would have to be made inside a plain file.
    writeContents(root.filePath("plain"), "x");
    Module1 settings(root.filePath("gone"), root.filePath("plain/wind"));
    try {
        ensureSettingsFile(settings);
        QFAIL("no error raised");
    } catch (const AppError &error) {
        QCOMPARE(error.kind(), AppError::Kind::FileError);
        QVERIFY2(error.description().contains(root.filePath("plain/wind/Application.ini")),
                 qPrintable(error.description()));
    }
}

void tst_Module1::writeFailureNamesThePath()
{
    QTemporaryDir exe;
    Module1 settings(exe.path(), exe.filePath("fallback"));
    settings.IniSetFile("Application.ini");
    QVERIFY(QDir(exe.path()).mkdir("Application.ini"));
    try {
        settings.IniWriteKey("VALUES", "Angle", "3");
        QFAIL("no error raised");
    } catch (const AppError &error) {
        QCOMPARE(error.kind(), AppError::Kind::FileError);
        QVERIFY2(error.description().contains(settings.SettingsPath),
                 qPrintable(error.description()));
    }
}

void tst_Module1::writeKeepsPermissions()
{
    QTemporaryDir exe;
    Module1 settings(exe.path(), exe.filePath("fallback"));
    ensureSettingsFile(settings);
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(settings.SettingsPath, permissions));

    settings.IniWriteKey("VALUES", "Angle", "90");
    QCOMPARE(settings.IniReadKey("VALUES", "Angle"), "90");
    const auto userBits = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    QCOMPARE(QFile::permissions(settings.SettingsPath) & ~userBits, permissions);
}

// A full disk, simulated by a file size limit: the write fails part-way, and
// the file must still be the old one, not a cut-off new one.
void tst_Module1::failedWriteKeepsTheOldFile()
{
#ifdef Q_OS_UNIX
    QTemporaryDir exe;
    Module1 settings(exe.path(), exe.filePath("fallback"));
    ensureSettingsFile(settings);

    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = 100;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limited) == 0);
    bool raised = false;
    try {
        settings.IniWriteKey("VALUES", "Angle", QString(200, u'9'));
    } catch (const AppError &error) {
        raised = error.kind() == AppError::Kind::FileError;
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_DFL);

    QVERIFY(raised);
    QCOMPARE(contents(settings.SettingsPath), freshSixLines);
#else
    QSKIP("needs a file size limit");
#endif
}

QTEST_APPLESS_MAIN(tst_Module1)
#include "tst_module1.moc"
