#include "core/inifile.h"
#include "core/openfailureadvice.h"
#include "core/serialdevice.h"

#include <QTest>

class tst_SerialDevice : public QObject
{
    Q_OBJECT

private slots:
    void listingPastesIntoTheSettingsFile_data();
    void listingPastesIntoTheSettingsFile();
    void listingWithoutDevices();
    void adviceNamesTheFix_data();
    void adviceNamesTheFix();
};

static const SerialDevice usbAdapter{"/dev/ttyUSB0",
                                     "/dev/serial/by-id/usb-Maker_Adapter_A1-if00-port0",
                                     "USB Serial Adapter", "Maker", "A1"};
static const SerialDevice legacyPort{"/dev/ttyS0", {}, {}, {}, {}};

static QList<SerialDevice> numberedPorts(int count)
{
    QList<SerialDevice> devices;
    for (int i = 0; i < count; ++i)
        devices.append({QStringLiteral("/dev/ttyS%1").arg(i), {}, {}, {}, {}});
    return devices;
}

// Each row's listing is pasted, from its [PORTS] line on, into a settings
// file, which must then map every port to its device.
void tst_SerialDevice::listingPastesIntoTheSettingsFile_data()
{
    QTest::addColumn<QList<SerialDevice>>("devices");
    QTest::addColumn<QStringList>("expectedPorts");
    QTest::addColumn<QStringList>("expectedTexts");

    QTest::newRow("adapter maps by its by-id name, legacy port by its path")
        << QList<SerialDevice>{usbAdapter, legacyPort}
        << QStringList{usbAdapter.byIdPath, "/dev/ttyS0"}
        << QStringList{"  /dev/ttyUSB0\n",
                       "    description:    USB Serial Adapter\n",
                       "    manufacturer:   Maker\n",
                       "    serial number:  A1\n",
                       "  /dev/ttyS0\n    by-id name:     -\n",
                       "ports 1 to 2"};
    QTest::newRow("one device") << QList<SerialDevice>{legacyPort} << QStringList{"/dev/ttyS0"}
                                << QStringList{"the device port 1"};
    QStringList nine;
    for (int i = 0; i < 9; ++i)
        nine << QStringLiteral("/dev/ttyS%1").arg(i);
    QTest::newRow("devices beyond port 9 left out")
        << numberedPorts(11) << nine << QStringList{"/dev/ttyS10\n", "ports 1 to 9 only"};
}

void tst_SerialDevice::listingPastesIntoTheSettingsFile()
{
    QFETCH(QList<SerialDevice>, devices);
    QFETCH(QStringList, expectedPorts);
    QFETCH(QStringList, expectedTexts);

    const QString listing
        = portListing(devices, "/home/ann/.config/wind-condition/Application.ini");
    QVERIFY(listing.contains("Settings file: /home/ann/.config/wind-condition/Application.ini\n"));
    for (const QString &text : expectedTexts)
        QVERIFY2(listing.contains(text), qPrintable(text + " missing from:\n" + listing));

    const qsizetype section = listing.indexOf("[PORTS]\n");
    QVERIFY(section > 0);
    const QByteArray pasted = "[PARAMETRES]\r\nSerialPort1-COM=1\r\n"
        + listing.mid(section).section("\n\n", 0, 0).toLatin1();
    for (int port = 1; port <= 10; ++port) {
        const QByteArray key = "COM" + QByteArray::number(port);
        QCOMPARE(QString::fromLatin1(iniReadValue(pasted, "PORTS", key)),
                 expectedPorts.value(port - 1));
    }
}

void tst_SerialDevice::listingWithoutDevices()
{
    const QString listing = portListing({}, "/tmp/Application.ini");
    QVERIFY(listing.startsWith("No serial device was found"));
    QVERIFY(listing.endsWith("Settings file: /tmp/Application.ini\n"));
    QVERIFY(!listing.contains("[PORTS]"));
}

void tst_SerialDevice::adviceNamesTheFix_data()
{
    QTest::addColumn<OpenFailureFacts>("facts");
    QTest::addColumn<QStringList>("expectedTexts");
    QTest::addColumn<QStringList>("unexpectedTexts");

    OpenFailureFacts facts;
    facts.port = 3;
    facts.device = "/dev/ttyS2";
    facts.settingsPath = "/home/ann/.config/wind-condition/Application.ini";

    facts.cause = OpenFailureCause::NoDevice;
    facts.presentDevices = {usbAdapter, legacyPort};
    QTest::newRow("no device: lists what exists, maps the first by its by-id name")
        << facts
        << QStringList{"serial devices /dev/ttyUSB0, /dev/ttyS0: to use /dev/ttyUSB0 as port 3",
                       "\"COM3=" + usbAdapter.byIdPath + "\"", "[PORTS]", facts.settingsPath}
        << QStringList{};
    facts.presentDevices = {legacyPort};
    QTest::newRow("no device: the only device maps by its path")
        << facts
        << QStringList{"the serial device /dev/ttyS0: to use it as port 3", "\"COM3=/dev/ttyS0\"",
                       facts.settingsPath}
        << QStringList{};
    facts.presentDevices = {};
    QTest::newRow("no device and none present: how to find one")
        << facts
        << QStringList{"No serial device was found", "\"COM3=/dev/ttyUSB0\"", "[PORTS]",
                       facts.settingsPath, "--list-ports"}
        << QStringList{};

    facts.cause = OpenFailureCause::PermissionDenied;
    facts.userName = "ann";
    facts.deviceOwner = "root";
    facts.deviceGroup = "dialout";
    QTest::newRow("permission: the group to join, the command, a new login")
        << facts
        << QStringList{"user ann may not open /dev/ttyS2", "group dialout",
                       "\"sudo usermod -aG dialout ann\"", "log in again", "next login"}
        << QStringList{};
    facts.groupMayRead = false;
    QTest::newRow("permission: joining a group that may not read would not help")
        << facts << QStringList{"Only the user root may open /dev/ttyS2", "ann"}
        << QStringList{"usermod"};
    facts.deviceGroup.clear();
    QTest::newRow("permission: device unreadable even to look at")
        << facts << QStringList{"ann may not open /dev/ttyS2", "administrator"}
        << QStringList{"usermod"};

    facts.cause = OpenFailureCause::Busy;
    QTest::newRow("busy: another program holds it")
        << facts << QStringList{"Another program holds /dev/ttyS2", "close it"} << QStringList{};
}

void tst_SerialDevice::adviceNamesTheFix()
{
    QFETCH(OpenFailureFacts, facts);
    QFETCH(QStringList, expectedTexts);
    QFETCH(QStringList, unexpectedTexts);

    const QString advice = openFailureAdvice(facts);
    for (const QString &text : expectedTexts)
        QVERIFY2(advice.contains(text), qPrintable(text + " missing from: " + advice));
    for (const QString &text : unexpectedTexts)
        QVERIFY2(!advice.contains(text), qPrintable(text + " found in: " + advice));
    // One sentence, on its own line after the error.
    QVERIFY2(advice.endsWith('.') && !advice.contains('\n'), qPrintable(advice));

    facts.cause = OpenFailureCause::Other;
    QCOMPARE(openFailureAdvice(facts), QString());
}

QTEST_APPLESS_MAIN(tst_SerialDevice)
#include "tst_serialdevice.moc"
