// SPDX-License-Identifier: MIT
#include "platform/serialdevices.h"
#include "platform/serialtransport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <grp.h>
#include <memory>
#include <pty.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A raw pseudo-terminal; the test writes at its master, the transport reads
// the other end.
class Terminal
{
public:
    // The next free terminal, or, with a name, the one with that name: all
    // others opened on the way are closed again. Nothing when the name went
    // to another program first.
    static std::unique_ptr<Terminal> open(const QString &name = {})
    {
        std::vector<std::unique_ptr<Terminal>> others;
        while (others.size() < 64) {
            auto terminal
                = std::unique_ptr<Terminal>(new Terminal(::posix_openpt(O_RDWR | O_NOCTTY)));
            if (terminal->m_master < 0)
                return nullptr;
            if (name.isEmpty() || terminal->name == name)
                return terminal;
            others.push_back(std::move(terminal));
        }
        return nullptr;
    }
    ~Terminal() { ::close(m_master); }

    bool write(const QByteArray &bytes) const
    {
        return ::write(m_master, bytes.constData(), bytes.size()) == bytes.size();
    }

    QString name;

private:
    explicit Terminal(int master)
        : m_master(master)
    {
        termios settings{};
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0
            || ::tcgetattr(master, &settings) != 0)
            return;
        ::cfmakeraw(&settings);
        ::tcsetattr(master, TCSANOW, &settings);
        name = QString::fromLocal8Bit(::ptsname(master));
    }

    int m_master = -1;
};

// Turns the link to target in one step, as udev replaces a by-id link.
bool pointLink(const QString &link, const QString &target)
{
    const QString fresh = link + QStringLiteral(".new");
    return QFile::link(target, fresh) && ::rename(qPrintable(fresh), qPrintable(link)) == 0;
}

} // namespace

class tst_SerialPorts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void openFailureNamesTheFix_data();
    void openFailureNamesTheFix();
    void byIdNamesAndOrder();
    void reconnectFollowsTheName();

private:
    QTemporaryDir m_helperFolder;
    QString m_helper;
    // Root ignores a device's mode and its exclusive use, so the helper then
    // runs as nobody.
    bool m_switchUser = ::geteuid() == 0;
    uid_t m_userId = ::geteuid();
    gid_t m_groupId = ::getegid();
};

static const auto everyoneMayRead = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
    | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;

void tst_SerialPorts::initTestCase()
{
    if (m_switchUser) {
        const passwd *nobody = ::getpwnam("nobody");
        if (!nobody)
            QSKIP("running as root, and there is no user nobody to open the devices as");
        m_userId = nobody->pw_uid;
        m_groupId = nobody->pw_gid;
    }
    // Wherever the build tree is, the helper's user must reach the helper.
    m_helper = m_helperFolder.filePath("openport");
    QVERIFY(QFile::copy(QStringLiteral(OPEN_PORT_EXE), m_helper));
    QVERIFY(QFile::setPermissions(m_helperFolder.path(), everyoneMayRead));
    QVERIFY(QFile::setPermissions(m_helper, everyoneMayRead));
}

void tst_SerialPorts::openFailureNamesTheFix_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QStringList>("advice");

    QTest::newRow("no such device: the [PORTS] line and the settings file")
        << "missing"
        << "No such file or directory"
        << QStringList{"the line \"COM4=/dev/",
                       "in the section [PORTS] of the settings file <settings>."};
    QTest::newRow("permission denied: the device's group, the command, a new login")
        << "mode"
        << "Permission denied"
        << QStringList{"Your user <user> may not open <device>, which belongs to the group "
                       "<group>: add the user to that group with \"sudo usermod -aG <group> "
                       "<user>\", then log out and log in again"};
    QTest::newRow("held through its lock file: another program")
        << "lock file"
        << "Permission error while locking the device"
        << QStringList{"Another program holds <device>"};
    QTest::newRow("held in exclusive use: another program")
        << "exclusive use"
        << "Device or resource busy" << QStringList{"Another program holds <device>"};
}

// Each obstacle is real: a path with no device, a pseudo-terminal whose mode
// shuts the helper's user out, or one that this process holds open.
void tst_SerialPorts::openFailureNamesTheFix()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, reason);
    QFETCH(QStringList, advice);

    int master = -1;
    int slave = -1;
    char name[256] = {};
    QCOMPARE(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    const auto closeTerminal = qScopeGuard([&] {
        ::close(slave);
        ::close(master);
    });
    QTemporaryDir settingsFolder;
    const QString device = obstacle == "missing" ? settingsFolder.filePath("ttyGone") : name;
    QFile settings(settingsFolder.filePath("Application.ini"));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[PORTS]\nCOM4=" + QFile::encodeName(device) + '\n');
    settings.close();
    QVERIFY(QFile::setPermissions(settingsFolder.path(), everyoneMayRead));
    QVERIFY(QFile::setPermissions(settings.fileName(), everyoneMayRead));

    // Only the obstacle may stand in the way.
    QCOMPARE(::chmod(name, 0666), 0);
    QSerialPort holder(QString::fromLocal8Bit(name));
    if (obstacle == "mode") {
        // Root gives the device to dialout, as a real serial device's is; a
        // user shuts himself out of his own terminal, leaving it to its group.
        const group *dialout = ::getgrnam("dialout");
        if (m_switchUser && dialout)
            QCOMPARE(::chown(name, 0, dialout->gr_gid), 0);
        QCOMPARE(::chmod(name, m_switchUser ? 0660 : 0060), 0);
    } else if (obstacle == "lock file") {
        QVERIFY2(holder.open(QIODevice::ReadOnly), qPrintable(holder.errorString()));
    } else if (obstacle == "exclusive use") {
        QCOMPARE(::ioctl(slave, TIOCEXCL), 0);
    }
    struct stat status
    {
    };
    QCOMPARE(::stat(name, &status), 0);

    QProcess helper;
    helper.setChildProcessModifier([switchUser = m_switchUser, uid = m_userId, gid = m_groupId] {
        if (switchUser
            && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0))
            ::_exit(120);
    });
    helper.start(m_helper, {settingsFolder.path()});
    QVERIFY(helper.waitForFinished(20000));
    QCOMPARE(helper.exitCode(), 0);
    const QString reported = QString::fromLocal8Bit(helper.readAllStandardOutput()).trimmed();

    // The error as it always read, then the advice on a line of its own.
    QCOMPARE(reported.section('\n', 0, 0),
             QStringLiteral("Serial port 4 (%1): cannot open: %2").arg(device, reason));
    for (QString text : advice) {
        text.replace("<device>", device)
            .replace("<settings>", settings.fileName())
            .replace("<user>", QString::fromLocal8Bit(::getpwuid(m_userId)->pw_name))
            .replace("<group>", QString::fromLocal8Bit(::getgrgid(status.st_gid)->gr_name));
        QVERIFY2(reported.section('\n', 1).contains(text), qPrintable(text + '\n' + reported));
    }
}

void tst_SerialPorts::byIdNamesAndOrder()
{
    QTemporaryDir byId;
    QVERIFY(QFile::link("/dev/null", byId.filePath("usb-Maker_A1-if00-port0")));
    QVERIFY(QFile::link(byId.filePath("gone"), byId.filePath("usb-Gone-if00-port0")));
    QCOMPARE(byIdPathOf("/dev/null", byId.path()), byId.filePath("usb-Maker_A1-if00-port0"));
    QCOMPARE(byIdPathOf("/dev/zero", byId.path()), QString());
    QCOMPARE(byIdPathOf("/dev/null", byId.filePath("no-such-folder")), QString());

    // Adapters first, numbers by value.
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

// A sensor on a pseudo-terminal behind a symbolic link goes away, and a
// shell or a build tool takes the freed terminal's number: the link, still
// pointing at the lost terminal, leads to a stranger that sends nothing.
// When the link turns to the sensor's new terminal, the transport reads it
// as soon as the link leads there. (A link made anew after the device went
// is the window's unplugged-adapter test.)
void tst_SerialPorts::reconnectFollowsTheName()
{
    QTemporaryDir folder;
    const QString link = folder.filePath(QStringLiteral("usb-Sensor-if00"));
    std::unique_ptr<Terminal> first = Terminal::open();
    QVERIFY(first && pointLink(link, first->name));

    SerialTransport transport(1, [&link](int) { return link; });
    transport.setReconnect(true);
    transport.setReconnectInterval(20);
    QByteArray received;
    int restarts = 0;
    int losses = 0;
    connect(&transport, &LineTransport::received,
            [&](const QByteArray &bytes) { received += bytes; });
    connect(&transport, &LineTransport::restarted, [&] { ++restarts; });
    connect(&transport, &LineTransport::lost, [&] { ++losses; });
    transport.open();
    QVERIFY(first->write("one"));
    QTRY_COMPARE(received, QByteArray("one"));

    const QString lostName = first->name;
    first.reset();
    QTRY_COMPARE(losses, 1);
    const std::unique_ptr<Terminal> stranger = Terminal::open(lostName);
    if (!stranger)
        QSKIP("another program took the lost terminal's number first");
    QTRY_COMPARE(restarts, 1);
    std::unique_ptr<Terminal> second = Terminal::open();
    QVERIFY(second && pointLink(link, second->name));
    QTRY_COMPARE(restarts, 2);
    QVERIFY(second->write("two"));
    QTRY_COMPARE(received, QByteArray("onetwo"));
    QCOMPARE(losses, 1);
}

QTEST_GUILESS_MAIN(tst_SerialPorts)
#include "tst_serialports.moc"
