// SPDX-License-Identifier: MIT
#include "core/apperror.h"
#include "core/settingsfile.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

class tst_SettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void freshFile();
    void existingFileIsLeftAlone();
    void nameDifferingInCaseCountsAsMissing();
    void unseenFileGetsSecondHeaders();
    void folderChoice_data();
    void folderChoice();
    void valuesAsStored_data();
    void valuesAsStored();
    void valuesBeyondAscii_data();
    void valuesBeyondAscii();
    void unchangedFileIsNotRewritten_data();
    void unchangedFileIsNotRewritten();
    void creationFailureNamesThePath();
    void writeFailureNamesThePath();
    void writeKeepsPermissions();
    void failedWriteKeepsTheOldFile();
};

static const QByteArray freshSixLines = "[PARAMETRES]\r\nSerialPort1-COM=1\r\nDummyMode=True\r\n"
                                        "[VALUES]\r\nAngle=1\r\nWind=1\r\n";

// The main window's start-up creates a missing file in these seven steps.
static void ensureSettingsFile(SettingsFile &settings, const QString &name = "Application.ini")
{
    settings.selectFile(name);
    settings.ensureSection("PARAMETRES");
    settings.seedKey("PARAMETRES", "SerialPort1-COM", "1");
    settings.seedKey("PARAMETRES", "DummyMode", "True");
    settings.ensureSection("VALUES");
    settings.seedKey("VALUES", "Angle", "1");
    settings.seedKey("VALUES", "Wind", "1");
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

// A replacement gets a new inode, a write in place a new modification time.
static QString versionOf(const QString &path)
{
    QString version = QFileInfo(path).lastModified().toString(Qt::ISODateWithMs);
#ifdef Q_OS_UNIX
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &status) == 0)
        version += QStringLiteral(", inode %1").arg(status.st_ino);
#endif
    return version;
}

#ifdef Q_OS_UNIX
// Root writes through read-only permissions, so a test that needs them runs
// as nobody, made owner of the test's folders; root stays the saved user, to
// come back to with setresuid(0, 0, 0).
static bool becomeNobody(const QString &tree)
{
    constexpr uid_t nobody = 65534;
    QStringList paths{tree};
    QDirIterator entries(tree, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (entries.hasNext())
        paths.append(entries.next());
    for (const QString &path : paths) {
        if (::chown(QFile::encodeName(path).constData(), nobody, gid_t(-1)) != 0)
            return false;
    }
    return ::setresuid(nobody, nobody, 0) == 0;
}
#endif

void tst_SettingsFile::freshFile()
{
    QTemporaryDir exe;
    SettingsFile settings(exe.path(), exe.filePath("fallback"));
    settings.selectFile("Application.ini");
    QCOMPARE(settings.readKey("VALUES", "Angle"), QString());

    ensureSettingsFile(settings);
    QCOMPARE(settings.path(), exe.path() + "/Application.ini");
    QVERIFY(settings.isNew());
    QCOMPARE(contents(settings.path()), freshSixLines);
    QCOMPARE(QDir(exe.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"Application.ini"});

    settings.writeKey("VALUES", "Wind", "0.5");
    QCOMPARE(settings.readKey("values", "wind"), "0.5");
}

void tst_SettingsFile::existingFileIsLeftAlone()
{
    QTemporaryDir exe;
    const QByteArray handEdited = "; mine\n[PARAMETRES]\nDummyMode=False\n";
    writeContents(exe.filePath("Application.ini"), handEdited);
    SettingsFile settings(exe.path(), exe.filePath("fallback"));

    ensureSettingsFile(settings);
    QVERIFY(!settings.isNew());
    QCOMPARE(contents(settings.path()), handEdited);
    QCOMPARE(settings.readKey("VALUES", "Angle"), QString());
}

void tst_SettingsFile::nameDifferingInCaseCountsAsMissing()
{
    QTemporaryDir exe;
    writeContents(exe.filePath("application.ini"), "[VALUES]\r\nAngle=270\r\n");
    SettingsFile settings(exe.path(), exe.filePath("fallback"));

    ensureSettingsFile(settings);
    QVERIFY(settings.isNew());
    // Whether the file system ignores case or not, the defaults are what the
    // file now holds.
    QCOMPARE(settings.readKey("VALUES", "Angle"), "1");
    QCOMPARE(settings.readKey("PARAMETRES", "DummyMode"), "True");
}

// A hidden file is present but not found by the search, as a name differing
// in case is on a file system that ignores case: the default lines are
// appended and the defaults overwrite the stored values.
void tst_SettingsFile::unseenFileGetsSecondHeaders()
{
    QTemporaryDir exe;
    const QByteArray stored = "[PARAMETRES]\r\nSerialPort1-COM=3\r\nDummyMode=False\r\n"
                              "[VALUES]\r\nAngle=270\r\nWind=5.5\r\n";
    writeContents(exe.filePath(".wind.ini"), stored);
    SettingsFile settings(exe.path(), exe.filePath("fallback"));

    ensureSettingsFile(settings, ".wind.ini");
    QCOMPARE(settings.path(), exe.filePath(".wind.ini"));
    QCOMPARE(contents(settings.path()),
             freshSixLines
                 + "[PARAMETRES]\r\nSerialPort1-COM=\r\nDummyMode=\r\n"
                   "[VALUES]\r\nAngle=\r\nWind=\r\n");
}

void tst_SettingsFile::folderChoice_data()
{
    QTest::addColumn<SettingsFile::Location>("location");
    QTest::addColumn<QString>("fileOnDisk");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("expectFallback");

    const auto buildTree = SettingsFile::Location::BesideExecutable;
    const auto installed = SettingsFile::Location::UserConfigFolder;
    QTest::newRow("writable folder") << buildTree << QString() << "writable" << false;
    QTest::newRow("read-only folder holding the file") << buildTree << "Application.ini"
                                                       << "read-only" << false;
    QTest::newRow("read-only folder") << buildTree << QString() << "read-only" << true;
    QTest::newRow("read-only folder, name differs in case") << buildTree << "application.ini"
                                                            << "read-only" << true;
    QTest::newRow("folder gone") << buildTree << QString() << "gone" << true;
    QTest::newRow("installed: writable executable folder is not used")
        << installed << QString() << "writable" << true;
    QTest::newRow("installed: a file beside the executable is not used")
        << installed << "Application.ini"
        << "writable" << true;
}

void tst_SettingsFile::folderChoice()
{
    QFETCH(SettingsFile::Location, location);
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
#ifdef Q_OS_UNIX
    const bool asNobody = folder == "read-only" && ::geteuid() == 0;
    const auto backToRoot = qScopeGuard([asNobody] {
        if (asNobody)
            ::setresuid(0, 0, 0);
    });
    if (asNobody)
        QVERIFY(becomeNobody(root.path()));
#endif
    if (folder == "read-only") {
        QFile::setPermissions(exe, QFile::ReadOwner | QFile::ExeOwner);
        if (QFileInfo(exe).isWritable()) {
            QFile::setPermissions(exe, writable);
            QSKIP("permissions do not stop this user from writing");
        }
    }

    SettingsFile settings(exe, fallback, location);
    ensureSettingsFile(settings);
    QFile::setPermissions(exe, writable);

    QCOMPARE(settings.path(), (expectFallback ? fallback : exe) + "/Application.ini");
    if (expectFallback)
        QCOMPARE(contents(settings.path()), freshSixLines);
    const bool readsFileOnDisk = fileOnDisk == "Application.ini" && !expectFallback;
    QCOMPARE(settings.readKey("VALUES", "Angle"), readsFileOnDisk ? "7" : "1");
    // Nothing is created beside the executable when the file lives elsewhere.
    if (expectFallback && folder != "gone")
        QCOMPARE(QDir(exe).entryList(QDir::Files),
                 fileOnDisk.isEmpty() ? QStringList() : QStringList{fileOnDisk});
}

void tst_SettingsFile::valuesAsStored_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("value");

    QTest::newRow("UTF-8, as Debian writes it") << QByteArray("wind/S\xc3\xbc"
                                                              "d")
                                                << QStringLiteral("wind/S\u00fcd");
    QTest::newRow("Latin-1, from an older system") << QByteArray("wind/S\xfc"
                                                                 "d")
                                                   << QStringLiteral("wind/S\u00fcd");
    QTest::newRow("UTF-8 beyond Latin-1") << QByteArray("\xe9\xa2\xa8/\xe7\x94\xb2\xe6\x9d\xbf")
                                          << QStringLiteral("\u98a8/\u7532\u677f");
    QTest::newRow("an overlong form is no UTF-8")
        << QByteArray("\xc0\xaf") << QStringLiteral("\u00c0\u00af");
    QTest::newRow("an encoded surrogate is no UTF-8")
        << QByteArray("\xed\xa0\x80") << QStringLiteral("\u00ed\u00a0\u0080");
    QTest::newRow("a character cut short is no UTF-8")
        << QByteArray("D\xc3") << QStringLiteral("D\u00c3");
}

// What the file holds reads as UTF-8 where it is valid UTF-8, and as
// Latin-1 where it is not, by key and by section alike.
void tst_SettingsFile::valuesAsStored()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, value);

    QTemporaryDir exe;
    writeContents(exe.filePath("Application.ini"), "[MQTT]\r\nTopic=" + stored + "\r\n");
    SettingsFile settings(exe.path(), exe.filePath("fallback"));
    settings.selectFile("Application.ini");
    QCOMPARE(settings.readKey("MQTT", "Topic"), value);
    QCOMPARE(settings.readSection("MQTT").value(0).second, value);
}

void tst_SettingsFile::valuesBeyondAscii_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("stored"); // empty when the value is refused

    QTest::newRow("Latin-1 é is one byte") << QStringLiteral("Caf\u00e9") << QByteArray("Caf\xe9");
    QTest::newRow("ÿ, the last Latin-1 character")
        << QStringLiteral("\u00ff") << QByteArray("\xff");
    QTest::newRow("Ω is refused") << QStringLiteral("10 \u03a9") << QByteArray();
    QTest::newRow("Ā, the first beyond Latin-1, is refused")
        << QStringLiteral("\u0100") << QByteArray();
    QTest::newRow("Ã© would read back as é, so it is refused")
        << QStringLiteral("\u00c3\u00a9") << QByteArray();
}

// What the application writes is Latin-1: what reads back exactly is stored,
// the rest is refused rather than stored as '?' or read back as another
// text.
void tst_SettingsFile::valuesBeyondAscii()
{
    QFETCH(QString, value);
    QFETCH(QByteArray, stored);

    QTemporaryDir exe;
    SettingsFile settings(exe.path(), exe.filePath("fallback"));
    ensureSettingsFile(settings);
    try {
        settings.writeKey("VALUES", "Name", value);
        QVERIFY2(!stored.isEmpty(), "the value should have been refused");
        QCOMPARE(contents(settings.path()), freshSixLines + "Name=" + stored + "\r\n");
        QCOMPARE(settings.readKey("VALUES", "Name"), value);
    } catch (const AppError &error) {
        QVERIFY2(stored.isEmpty(), qPrintable(error.description()));
        QCOMPARE(error.kind(), AppError::Kind::InvalidArgument);
        QCOMPARE(contents(settings.path()), freshSixLines);
    }
}

void tst_SettingsFile::unchangedFileIsNotRewritten_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");

    QTest::newRow("the same value") << "VALUES"
                                    << "Angle";
    QTest::newRow("the same value, names in other letter case") << "values"
                                                                << "ANGLE";
}

// Closing with the values the file already holds must work where the file
// cannot be replaced, so the file is not touched at all.
void tst_SettingsFile::unchangedFileIsNotRewritten()
{
    QFETCH(QString, section);
    QFETCH(QString, key);

    QTemporaryDir exe;
    SettingsFile settings(exe.path(), exe.filePath("fallback"));
    ensureSettingsFile(settings);
    {
        QFile file(settings.path());
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTimeUtc().addDays(-1),
                                 QFileDevice::FileModificationTime));
    }
    const QString before = versionOf(settings.path());

    settings.writeKey(section, key, "1");
    QCOMPARE(versionOf(settings.path()), before);
    QCOMPARE(contents(settings.path()), freshSixLines);
}

void tst_SettingsFile::creationFailureNamesThePath()
{
    QTemporaryDir root;
    // Neither place can be written: the executable's folder is gone and the
    // fallback would have to be made inside a plain file.
    writeContents(root.filePath("plain"), "x");
    SettingsFile settings(root.filePath("gone"), root.filePath("plain/wind"));
    try {
        ensureSettingsFile(settings);
        QFAIL("no error raised");
    } catch (const AppError &error) {
        QCOMPARE(error.kind(), AppError::Kind::FileError);
        QVERIFY2(error.description().contains(root.filePath("plain/wind/Application.ini")),
                 qPrintable(error.description()));
    }
}

void tst_SettingsFile::writeFailureNamesThePath()
{
    QTemporaryDir exe;
    SettingsFile settings(exe.path(), exe.filePath("fallback"));
    settings.selectFile("Application.ini");
    QVERIFY(QDir(exe.path()).mkdir("Application.ini"));
    try {
        settings.writeKey("VALUES", "Angle", "3");
        QFAIL("no error raised");
    } catch (const AppError &error) {
        QCOMPARE(error.kind(), AppError::Kind::FileError);
        QVERIFY2(error.description().contains(settings.path()), qPrintable(error.description()));
    }
}

void tst_SettingsFile::writeKeepsPermissions()
{
    QTemporaryDir exe;
    SettingsFile settings(exe.path(), exe.filePath("fallback"));
    ensureSettingsFile(settings);
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(settings.path(), permissions));

    settings.writeKey("VALUES", "Angle", "90");
    QCOMPARE(settings.readKey("VALUES", "Angle"), "90");
    const auto userBits = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    QCOMPARE(QFile::permissions(settings.path()) & ~userBits, permissions);
}

// A full disk, simulated by a file size limit: the write fails part-way, and
// the file must still be the old one, not a cut-off new one.
void tst_SettingsFile::failedWriteKeepsTheOldFile()
{
#ifdef Q_OS_UNIX
    QTemporaryDir exe;
    SettingsFile settings(exe.path(), exe.filePath("fallback"));
    ensureSettingsFile(settings);

    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = 100;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limited) == 0);
    QString reason = QStringLiteral("no error raised");
    try {
        settings.writeKey("VALUES", "Angle", QString(200, u'9'));
    } catch (const AppError &error) {
        if (error.kind() == AppError::Kind::FileError)
            reason = error.description();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_DFL);

    // The write is cut short part-way, which leaves Qt without a reason.
    QVERIFY2(reason.endsWith(": File too large"), qPrintable(reason));
    QCOMPARE(contents(settings.path()), freshSixLines);
#else
    QSKIP("needs a file size limit");
#endif
}

QTEST_APPLESS_MAIN(tst_SettingsFile)
#include "tst_settingsfile.moc"
