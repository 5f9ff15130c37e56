// SPDX-License-Identifier: MIT
// Faults around the settings file: hand-edited files at start-up, a file
// that cannot be replaced at close, and a writer killed mid-way.

#include "windowfixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString FileName = QStringLiteral("Application.ini");
constexpr uid_t Nobody = 65534;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeAll(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

// True once the process has installed its handler for the signal: from then
// on the signal is an orderly request, not a kill.
bool catchesSignal(qint64 pid, int signalNumber)
{
    const QByteArray status = readAll(QStringLiteral("/proc/%1/status").arg(pid));
    for (const QByteArray &line : status.split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signalNumber - 1)) & 1;
    }
    return false;
}

// Whether the process holds a file in folder open other than the settings
// file itself: the temporary file of a replacement in progress (unnamed, as
// "#inode (deleted)", where the system offers that).
bool holdsTemporaryFile(qint64 pid, const QString &folder)
{
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    const QString settings = folder + u'/' + FileName;
    for (const QString &fd :
         QDir(fds).entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        const QString target = QFile::symLinkTarget(fds + u'/' + fd);
        if (target.startsWith(folder + u'/') && target != settings)
            return true;
    }
    return false;
}

// A small file system of its own, so that the disk can be filled up without
// touching anyone else's. Mounting needs root; isMounted() says whether it
// worked.
class SmallDisk
{
public:
    SmallDisk(const QString &mountPoint, qint64 size)
        : m_mountPoint(mountPoint)
    {
        QDir().mkpath(mountPoint);
        const QByteArray options = "size=" + QByteArray::number(size);
        m_mounted = ::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0,
                            options.constData())
            == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_mountPoint).constData(), MNT_DETACH);
    }
    bool isMounted() const { return m_mounted; }

    // Writes a filler file until no block is left.
    void fill() const
    {
        QFile filler(m_mountPoint + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        for (qint64 chunk = 64 * 1024; chunk > 0; chunk /= 2) {
            const QByteArray bytes(chunk, 'x');
            while (filler.write(bytes) == chunk) { }
        }
    }

private:
    QString m_mountPoint;
    bool m_mounted = false;
};

enum class CloseFault { None, FileReadOnly, FolderReadOnly, DiskFull, FileSizeLimit };

// A child that replaces the settings file again and again, each time with the
// other of two values, until it is killed (or gives up after ten seconds, so
// that a failed test leaves nothing running).
int rewriteSettingsUntilKilled(const QString &folder)
{
    SettingsFile settings(folder, folder);
    settings.selectFile(FileName);
    QElapsedTimer running;
    running.start();
    while (running.elapsed() < 10000) {
        const bool isOne = settings.readKey(QStringLiteral("VALUES"), QStringLiteral("Angle"))
            == QStringLiteral("1");
        settings.writeKey(QStringLiteral("VALUES"), QStringLiteral("Angle"),
                          isOne ? QStringLiteral("2") : QStringLiteral("1"));
    }
    return 1;
}

} // namespace

Q_DECLARE_METATYPE(CloseFault)

class tst_FaultSettings : public QObject
{
    Q_OBJECT

private slots:
    void handEditedFileAtStartUp_data();
    void handEditedFileAtStartUp();
    void closingWhenTheFileCannotBeReplaced_data();
    void closingWhenTheFileCannotBeReplaced();
    void killedWhileReplacingLeavesAWholeFile();
};

void tst_FaultSettings::handEditedFileAtStartUp_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QLocale>("locale");
    // Empty when the start-up succeeds.
    QTest::addColumn<QString>("failingKey");
    QTest::addColumn<QString>("section");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("exampleMode");
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("wind");

    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    const auto fails = [&](const char *name, const QByteArray &file, const QLocale &locale,
                           const char *section, const char *key) {
        QTest::newRow(name) << file << locale << QString::fromLatin1(key)
                            << QString::fromLatin1(section) << int(AppError::Kind::TypeMismatch)
                            << false << 0.0 << 0.0;
    };
    const auto starts = [&](const char *name, const QByteArray &file, const QLocale &locale,
                            bool exampleMode, double angle, double wind) {
        QTest::newRow(name) << file << locale << QString() << QString() << 0 << exampleMode << angle
                            << wind;
    };

    fails("Wind missing",
          "[PARAMETRES]\r\nSerialPort1-COM=1\r\nDummyMode=False\r\n[VALUES]\r\nAngle=1\r\n",
          english, "VALUES", "Wind");
    fails("port missing", "[PARAMETRES]\r\nDummyMode=False\r\n[VALUES]\r\nAngle=1\r\nWind=1\r\n",
          english, "PARAMETRES", "SerialPort1-COM");
    fails("PARAMETRES missing", "[VALUES]\r\nAngle=1\r\nWind=1\r\n", english, "PARAMETRES",
          "DummyMode");
    fails("value of 300 letters", settingsFile("False", QByteArray(300, 'x').constData(), "1"),
          english, "VALUES", "Angle");
    QByteArray junk(4096, Qt::Uninitialized);
    QRandomGenerator random(3);
    for (char &byte : junk)
        byte = char(random.bounded(256));
    fails("binary junk", junk, english, "PARAMETRES", "DummyMode");

    starts("German decimal comma under de_DE", settingsFile("False", "1,5", "2,25"), german, false,
           1.5, 2.25);
    // Written before the desktop's language changed.
    starts("German decimal comma under en_US", settingsFile("False", "326,53", "1"), english, false,
           326.53, 1.0);
    starts("English decimal point under de_DE", settingsFile("False", "1", "2.5"), german, false,
           1.0, 2.5);
    // The reader hands back 254 characters: 254 zeros of this 300-character
    // number read as zero, hence false.
    starts("300-character value read as its first 254",
           settingsFile((QByteArray(299, '0') + '1').constData(),
                        ("90." + QByteArray(297, '0')).constData(), "1"),
           english, false, 90.0, 1.0);
    starts("unknown section and comments",
           "; written by hand\r\n[PARAMETRES]\r\nSerialPort1-COM=1\r\nDummyMode=False\r\n"
           "[DISPLAY]\r\nAngle=999\r\nColour=blue\r\n[VALUES]\r\nAngle=10\r\nWind=3\r\n",
           english, false, 10.0, 3.0);
    starts("duplicate sections: the first counts",
           settingsFile("False", "10", "2") + settingsFile("True", "20", "3"), english, false, 10.0,
           2.0);
    starts("duplicate keys: the first counts",
           "[PARAMETRES]\r\nSerialPort1-COM=1\r\nDummyMode=False\r\nDummyMode=True\r\n"
           "[VALUES]\r\nAngle=30\r\nWind=4\r\nAngle=40\r\n",
           english, false, 30.0, 4.0);
    starts("byte-order mark, LF line ends, other letter case",
           "\xEF\xBB\xBF[parametres]\nserialport1-com = 1\ndummymode = false\n[Values]\n"
           "ANGLE = 50\nwind=5",
           english, false, 50.0, 5.0);
}

// Hand-edited files either start with the right values or fail with a
// message that names the file, the section, the key and the kind; none is
// changed by the start-up.
void tst_FaultSettings::handEditedFileAtStartUp()
{
    QFETCH(QByteArray, file);
    QFETCH(QLocale, locale);
    QFETCH(QString, failingKey);
    QFETCH(QString, section);
    QFETCH(int, kind);
    QFETCH(bool, exampleMode);
    QFETCH(double, angle);
    QFETCH(double, wind);
    WindowFixture fixture(file);
    QLocale::setDefault(locale);
    try {
        fixture.start();
        QVERIFY2(failingKey.isEmpty(), "start-up should have failed");
        QCOMPARE(fixture.state().exampleModeOn, exampleMode);
        QCOMPARE(fixture.state().directionDegrees, angle);
        QCOMPARE(fixture.state().speedMetresPerSecond, wind);
    } catch (const AppError &error) {
        const QString text = error.description();
        QVERIFY2(!failingKey.isEmpty(), qPrintable(text));
        QCOMPARE(int(error.kind()), kind);
        QVERIFY2(text.startsWith(AppError::kindName(error.kind())), qPrintable(text));
        QVERIFY2(text.contains(fixture.settingsPath()), qPrintable(text));
        QVERIFY2(text.contains(u'[' + section + u']'), qPrintable(text));
        QVERIFY2(text.contains(u'"' + failingKey + u'"'), qPrintable(text));
    }
    QVERIFY(fixture.fatalErrors.isEmpty());
    QCOMPARE(fixture.readSettings(), file);
}

void tst_FaultSettings::closingWhenTheFileCannotBeReplaced_data()
{
    QTest::addColumn<CloseFault>("fault");
    QTest::newRow("nothing wrong") << CloseFault::None;
    QTest::newRow("file read-only") << CloseFault::FileReadOnly;
    QTest::newRow("folder read-only") << CloseFault::FolderReadOnly;
    QTest::newRow("disk full") << CloseFault::DiskFull;
    QTest::newRow("file size limit") << CloseFault::FileSizeLimit;
}

// The real executable, copied beside its settings file and ended by SIGTERM
// as a logout would: whatever keeps the file from being replaced, it closes
// with status 0 and leaves the old file whole.
void tst_FaultSettings::closingWhenTheFileCannotBeReplaced()
{
    QFETCH(CloseFault, fault);
    QTemporaryDir base;
    QVERIFY(base.isValid());
    const QString folder
        = fault == CloseFault::DiskFull ? base.filePath(QStringLiteral("disk")) : base.path();
    const QString executable = folder + QStringLiteral("/wind-condition");
    const QString settingsPath = folder + u'/' + FileName;
    const QFileInfo built(QStringLiteral(WIND_CONDITION_EXE));

    std::unique_ptr<SmallDisk> disk;
    if (fault == CloseFault::DiskFull) {
        disk = std::make_unique<SmallDisk>(folder, built.size() + 256 * 1024);
        if (!disk->isMounted())
            QSKIP("A small file system cannot be mounted here (needs root)");
    }
    QVERIFY(QFile::copy(built.filePath(), executable));
    // The first refresh turns -1 into 359, so closing has a change to write.
    const QByteArray before = settingsFile("False", "-1", "2");
    const QByteArray after = settingsFile("False", "359", "2");
    QVERIFY(writeAll(settingsPath, before));

    // Root writes through read-only permissions; the child then runs as an
    // ordinary user, for whom they hold.
    const bool protection
        = fault == CloseFault::FileReadOnly || fault == CloseFault::FolderReadOnly;
    const bool dropRoot = protection && ::geteuid() == 0;
    if (dropRoot) {
        for (const QString &path : {base.path(), executable, settingsPath})
            QVERIFY(::chown(QFile::encodeName(path).constData(), Nobody, Nobody) == 0);
    }
    const QString protectedPath = fault == CloseFault::FolderReadOnly ? folder : settingsPath;
    if (protection)
        QVERIFY(::chmod(QFile::encodeName(protectedPath).constData(),
                        fault == CloseFault::FolderReadOnly ? 0555 : 0444)
                == 0);
    const auto restore = qScopeGuard([&] {
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        ::chmod(QFile::encodeName(settingsPath).constData(), 0644);
    });
    if (disk)
        disk->fill();

    const qint64 sizeLimit = before.size();
    const auto asTheChild = [dropRoot, fault, sizeLimit] {
        if (dropRoot
            && (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0))
            ::_exit(126);
        if (fault == CloseFault::FileSizeLimit) {
            const rlimit limit{rlim_t(sizeLimit), rlim_t(sizeLimit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            // Writes past the limit then fail with EFBIG instead of killing.
            ::signal(SIGXFSZ, SIG_IGN);
        }
    };
    if (protection) {
        QProcess probe;
        probe.setChildProcessModifier(asTheChild);
        probe.start(QStringLiteral("/bin/sh"),
                    {QStringLiteral("-c"), QStringLiteral("test -w \"$0\""), protectedPath});
        QVERIFY(probe.waitForFinished(5000));
        if (probe.exitCode() == 0)
            QSKIP("The read-only permission does not stop this user from writing");
    }

    QProcess app;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Nothing the child writes may land outside the test's folders.
    environment.insert(QStringLiteral("HOME"), base.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), base.filePath(QStringLiteral("config")));
    app.setProcessEnvironment(environment);
    app.setChildProcessModifier(asTheChild);
    app.start(executable, {});
    QVERIFY(app.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(catchesSignal(app.processId(), SIGTERM), 10000);
    ::kill(pid_t(app.processId()), SIGTERM);
    QVERIFY(app.waitForFinished(10000));
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 0);

    // Where the file cannot be replaced as a whole it is not written at all:
    // writing into it in place is what could leave half a file behind.
    QCOMPARE(readAll(settingsPath), fault == CloseFault::None ? after : before);
    // A failed replacement takes its temporary file away with it.
    QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    left.removeOne(QStringLiteral("filler"));
    QCOMPARE(left, QStringList({FileName, QStringLiteral("wind-condition")}));
}

// A writer killed at any moment, and above all while its temporary file is
// open, leaves the settings file as it was before or after that write, never
// a mix; a temporary file left behind is never read as the settings.
void tst_FaultSettings::killedWhileReplacingLeavesAWholeFile()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString settingsPath = folder.filePath(FileName);
    // Over a megabyte, so that writing the file takes long enough to be hit.
    QByteArray comments;
    for (int line = 0; line < 20000; ++line)
        comments += "; " + QByteArray::number(line).rightJustified(58, '.') + "\r\n";
    const QByteArray one = comments + settingsFile("False", "1", "1");
    const QByteArray two = comments + settingsFile("False", "2", "1");
    QVERIFY(writeAll(settingsPath, one));

    QRandomGenerator random(11);
    QSet<QByteArray> seen;
    int killsWhileTemporaryOpen = 0;
    for (int round = 0; round < 40; ++round) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--rewrite-settings"), folder.path()});
        QVERIFY(child.waitForStarted());
        const qint64 pid = child.processId();
        if (round % 2 == 0) {
            QElapsedTimer waited;
            waited.start();
            while (!holdsTemporaryFile(pid, folder.path()) && waited.elapsed() < 5000) { }
            killsWhileTemporaryOpen += holdsTemporaryFile(pid, folder.path()) ? 1 : 0;
        } else {
            QTest::qSleep(random.bounded(10, 120));
        }
        ::kill(pid_t(pid), SIGKILL);
        QVERIFY(child.waitForFinished(5000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        const QByteArray contents = readAll(settingsPath);
        QVERIFY2(contents == one || contents == two,
                 qPrintable(QStringLiteral("round %1: %2 bytes, neither whole file")
                                .arg(round)
                                .arg(contents.size())));
        seen.insert(contents);
        SettingsFile next(folder.path(), folder.path());
        next.selectFile(FileName);
        QCOMPARE(next.path(), settingsPath);
        const QString angle = next.readKey(QStringLiteral("VALUES"), QStringLiteral("Angle"));
        QVERIFY(angle == QStringLiteral("1") || angle == QStringLiteral("2"));
    }
    // The kills did land inside replacements, and replacements did finish.
    QVERIFY(killsWhileTemporaryOpen >= 10);
    QCOMPARE(seen.size(), 2);
}

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--rewrite-settings") == 0)
        return rewriteSettingsUntilKilled(QFile::decodeName(argv[2]));
    QApplication app(argc, argv);
    tst_FaultSettings test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_faultsettings.moc"
