#include "platform/serialdevices.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

// A pseudo-terminal standing in for a serial device. The test keeps the
// master end; the helper opens the device end by its path.
class PseudoTerminal
{
public:
    PseudoTerminal()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0)
            device = QString::fromLocal8Bit(::ptsname(m_master));
    }
    ~PseudoTerminal()
    {
        if (m_master >= 0)
            ::close(m_master);
    }
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isOpen() const { return !device.isEmpty(); }

    QString device;

private:
    int m_master = -1;
};

class tst_SerialPorts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void openFailureNamesTheFix_data();
    void openFailureNamesTheFix();
    void byIdNamesAndOrder();

private:
    // Runs the helper on port 4 of settingsFolder, as nobody when the test
    // runs as root; returns what the serial control reported.
    QString openAsUser(const QString &settingsFolder);

    QTemporaryDir m_helperFolder;
    QString m_helper;
    uid_t m_userId = ::geteuid();
    gid_t m_groupId = ::getegid();
};

static QString groupName(gid_t gid)
{
    const group *entry = ::getgrgid(gid);
    return entry ? QString::fromLocal8Bit(entry->gr_name) : QString::number(gid);
}

static QString userName(uid_t uid)
{
    const passwd *entry = ::getpwuid(uid);
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(uid);
}

void tst_SerialPorts::initTestCase()
{
    // Root ignores a device's mode and its exclusive use, so the helper runs
    // as nobody; it must then be able to reach its own file, wherever the
    // build tree is.
    if (m_userId == 0) {
        const passwd *nobody = ::getpwnam("nobody");
        if (!nobody)
            QSKIP("running as root, and there is no user nobody to open the device as");
        m_userId = nobody->pw_uid;
        m_groupId = nobody->pw_gid;
    }
    m_helper = m_helperFolder.filePath("openport");
    QVERIFY(QFile::copy(QStringLiteral(OPEN_PORT_EXE), m_helper));
    const auto everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
        | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(m_helperFolder.path(), everyone));
    QVERIFY(QFile::setPermissions(m_helper, everyone));
}

QString tst_SerialPorts::openAsUser(const QString &settingsFolder)
{
    QProcess helper;
    const uid_t uid = m_userId;
    const gid_t gid = m_groupId;
    const bool switchUser = ::geteuid() == 0;
    helper.setChildProcessModifier([=] {
        if (switchUser
            && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0))
            ::_exit(120);
    });
    helper.start(m_helper, {settingsFolder, "4"});
    if (!helper.waitForFinished(20000) || helper.exitCode() != 0)
        return QStringLiteral("helper failed: %1").arg(helper.exitCode());
    const QStringList lines = QString::fromLocal8Bit(helper.readAllStandardOutput()).split('\n');
    if (lines.value(0) != QStringLiteral("uid %1").arg(uid))
        return QStringLiteral("helper ran as the wrong user: %1").arg(lines.value(0));
    return lines.mid(1).join('\n').trimmed();
}

void tst_SerialPorts::openFailureNamesTheFix_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QStringList>("adviceTexts");

    QTest::newRow("no such device: the [PORTS] line and the settings file")
        << "missing"
        << "No such file or directory" << QStringList{"COM4=", "[PORTS]", "<settings>"};
    QTest::newRow("permission denied: the device's group, the command, a new login")
        << "mode"
        << "Permission denied"
        << QStringList{"<user> may not open <device>", "the group <group>",
                       "\"sudo usermod -aG <group> <user>\"", "log in again"};
    QTest::newRow("held through its lock file: another program")
        << "lock file"
        << "Permission error while locking the device"
        << QStringList{"Another program holds <device>"};
    QTest::newRow("held in exclusive use: another program")
        << "exclusive use"
        << "Device or resource busy" << QStringList{"Another program holds <device>"};
}

void tst_SerialPorts::openFailureNamesTheFix()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, reason);
    QFETCH(QStringList, adviceTexts);

    QTemporaryDir settingsFolder;
    PseudoTerminal terminal;
    QVERIFY(terminal.isOpen());
    const QString device
        = obstacle == "missing" ? settingsFolder.filePath("ttyGone") : terminal.device;
    QFile settings(settingsFolder.filePath("Application.ini"));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[PORTS]\nCOM4=" + device.toLocal8Bit() + '\n');
    settings.close();
    QVERIFY(QFile::setPermissions(settingsFolder.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                      | QFile::ReadOther | QFile::ExeOther));
    QVERIFY(QFile::setPermissions(settings.fileName(), QFile::ReadOwner | QFile::ReadOther));

    // Everyone may read and write the device, so that only the obstacle
    // stands in the way.
    const QByteArray path = QFile::encodeName(terminal.device);
    QCOMPARE(::chmod(path.constData(), 0666), 0);
    QSerialPort holder(terminal.device);
    int exclusiveHolder = -1;
    QString groupOfDevice;
    if (obstacle == "mode") {
        // The owner may do nothing and the group everything: the device of a
        // group the helper's user is not in. As root, that group is dialout,
        // as for a real serial device.
        const struct group *dialout = ::getgrnam("dialout");
        if (::geteuid() == 0 && dialout)
            QCOMPARE(::chown(path.constData(), 0, dialout->gr_gid), 0);
        QCOMPARE(::chmod(path.constData(), ::geteuid() == 0 ? 0660 : 0060), 0);
        struct stat status
        {
        };
        QCOMPARE(::stat(path.constData(), &status), 0);
        groupOfDevice = groupName(status.st_gid);
    } else if (obstacle == "lock file") {
        QVERIFY2(holder.open(QIODevice::ReadOnly), qPrintable(holder.errorString()));
    } else if (obstacle == "exclusive use") {
        exclusiveHolder = ::open(path.constData(), O_RDWR | O_NOCTTY);
        QVERIFY(exclusiveHolder >= 0);
        QCOMPARE(::ioctl(exclusiveHolder, TIOCEXCL), 0);
    }

    const QString reported = openAsUser(settingsFolder.path());
    if (exclusiveHolder >= 0)
        ::close(exclusiveHolder);

    const QString firstLine = reported.section('\n', 0, 0);
    const QString advice = reported.section('\n', 1);
    QCOMPARE(firstLine, QStringLiteral("Serial port 4 (%1): cannot open: %2").arg(device, reason));
    for (QString text : adviceTexts) {
        text.replace("<device>", device)
            .replace("<settings>", settings.fileName())
            .replace("<user>", userName(m_userId))
            .replace("<group>", groupOfDevice);
        QVERIFY2(advice.contains(text), qPrintable(text + " missing from: " + advice));
    }
}

void tst_SerialPorts::byIdNamesAndOrder()
{
    QTemporaryDir root;
    PseudoTerminal adapter;
    QVERIFY(adapter.isOpen());
    const QString byId = root.filePath("by-id");
    QVERIFY(QDir().mkpath(byId));
    const QString link = byId + "/usb-Maker_Adapter_A1-if00-port0";
    QVERIFY(QFile::link(adapter.device, link));
    QVERIFY(QFile::link(root.filePath("elsewhere"), byId + "/usb-Gone-if00-port0"));

    QCOMPARE(byIdPathOf(adapter.device, byId), link);
    QCOMPARE(byIdPathOf("/dev/null", byId), QString());
    QCOMPARE(byIdPathOf(adapter.device, root.filePath("no-such-folder")), QString());

    QList<SerialDevice> devices{{"/dev/ttyS10", {}, {}, {}, {}},
                                {"/dev/ttyS2", {}, {}, {}, {}},
                                {"/dev/ttyUSB1", "/dev/serial/by-id/b", {}, {}, {}},
                                {"/dev/ttyUSB0", "/dev/serial/by-id/a", {}, {}, {}}};
    sortSerialDevices(devices);
    QStringList order;
    for (const SerialDevice &device : devices)
        order << device.path;
    QCOMPARE(order, (QStringList{"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyS2", "/dev/ttyS10"}));
}

QTEST_GUILESS_MAIN(tst_SerialPorts)
#include "tst_serialports.moc"
