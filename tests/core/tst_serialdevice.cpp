// SPDX-License-Identifier: MIT
#include "core/openfailureadvice.h"
#include "core/serialdevice.h"
#include "sectionfile.h"

#include <QTest>

class tst_SerialDevice : public QObject
{
    Q_OBJECT

private slots:
    void listingPastesIntoTheSettingsFile_data();
    void listingPastesIntoTheSettingsFile();
    void adviceNamesTheFix_data();
    void adviceNamesTheFix();
    void portsSection_data();
    void portsSection();
};

static const SerialDevice usbAdapter{"/dev/ttyUSB0", "/dev/serial/by-id/usb-Maker_A1-if00-port0",
                                     "USB Serial Adapter", "Maker", "A1"};
static const SerialDevice legacyPort{"/dev/ttyS0", {}, {}, {}, {}};
static const QString settingsPath = "/home/ann/.config/wind-condition/Application.ini";

void tst_SerialDevice::listingPastesIntoTheSettingsFile_data()
{
    QTest::addColumn<QList<SerialDevice>>("devices");
    QTest::addColumn<QStringList>("mappedDevices"); // of ports 1, 2, ...
    QTest::addColumn<QString>("expectedText");

    QTest::newRow("adapter by its by-id name, legacy port by its path")
        << QList<SerialDevice>{usbAdapter, legacyPort}
        << QStringList{usbAdapter.byIdPath, "/dev/ttyS0"}
        << "  /dev/ttyUSB0\n    by-id name:     " + usbAdapter.byIdPath
            + "\n    description:    USB Serial Adapter\n    manufacturer:   Maker\n"
              "    serial number:  A1\n\n  /dev/ttyS0\n    by-id name:     -\n";
    QList<SerialDevice> eleven;
    QStringList nine;
    for (int i = 0; i < 11; ++i) {
        eleven.append({QStringLiteral("/dev/ttyS%1").arg(i), {}, {}, {}, {}});
        if (i < 9)
            nine << eleven.last().path;
    }
    QTest::newRow("devices beyond port 9 left out") << eleven << nine << "ports 1 to 9 only";
    QTest::newRow("no device, no section")
        << QList<SerialDevice>{} << QStringList{} << "No serial device was found";
}

// The listing's [PORTS] section, pasted into a settings file, must map each
// port to its device.
void tst_SerialDevice::listingPastesIntoTheSettingsFile()
{
    QFETCH(QList<SerialDevice>, devices);
    QFETCH(QStringList, mappedDevices);
    QFETCH(QString, expectedText);

    const QString listing = portListing(devices, settingsPath);
    QVERIFY2(listing.contains(expectedText), qPrintable(listing));
    QVERIFY(listing.contains("Settings file: " + settingsPath + '\n'));
    const qsizetype section = listing.indexOf("[PORTS]\n");
    QCOMPARE(section >= 0, !mappedDevices.isEmpty());
    SectionFile file("[PARAMETRES]\r\nDummyMode=True\r\n"
                     + listing.mid(std::max<qsizetype>(section, 0)).section("\n\n", 0, 0).toUtf8());
    const SectionSettings<PortsConfig> read = readPortsSection(file.settings());
    QCOMPARE(read.problems, QStringList());
    QCOMPARE(read.config.devices.values(), mappedDevices);
    // It asks for listening to go on when an unplugged adapter comes back.
    QCOMPARE(read.config.reconnect, !mappedDevices.isEmpty());
}

void tst_SerialDevice::adviceNamesTheFix_data()
{
    QTest::addColumn<OpenFailureFacts>("facts");
    QTest::addColumn<QStringList>("expectedTexts");

    const auto facts = [](OpenFailureCause cause, QList<SerialDevice> present = {},
                          QString group = "dialout", bool groupMayRead = true) {
        return OpenFailureFacts{cause, 3,      "/dev/ttyS2", present,     settingsPath,
                                "ann", "root", group,        groupMayRead};
    };
    const auto noDevice = OpenFailureCause::NoDevice;
    const auto permission = OpenFailureCause::PermissionDenied;
    QTest::newRow("no device: lists the others, maps the first by its by-id name")
        << facts(noDevice, {usbAdapter, legacyPort})
        << QStringList{"serial devices /dev/ttyUSB0, /dev/ttyS0: to use /dev/ttyUSB0 as port 3",
                       "line \"COM3=" + usbAdapter.byIdPath + "\" in the section [PORTS]",
                       "settings file " + settingsPath};
    QTest::newRow("no device: the only other one maps by its path")
        << facts(noDevice, {legacyPort})
        << QStringList{"device /dev/ttyS0: to use it as port 3", "\"COM3=/dev/ttyS0\""};
    QTest::newRow("no device at all: an example line and how to find the device")
        << facts(noDevice)
        << QStringList{"No serial device was found", "\"COM3=/dev/ttyUSB0\" in the section [PORTS]",
                       settingsPath, "--list-ports"};
    QTest::newRow("permission: the group, the command, a new login")
        << facts(permission)
        << QStringList{"ann may not open /dev/ttyS2, which belongs to the group dialout",
                       "\"sudo usermod -aG dialout ann\"", "log in again"};
    QTest::newRow("permission: a group that may not read is not offered")
        << facts(permission, {}, "dialout", false)
        << QStringList{"Only the user root may open /dev/ttyS2", "administrator"};
    QTest::newRow("permission: device's group unknown")
        << facts(permission, {}, "") << QStringList{"ann may not open /dev/ttyS2", "administrator"};
    QTest::newRow("busy: another program holds it")
        << facts(OpenFailureCause::Busy) << QStringList{"Another program holds /dev/ttyS2"};
    QTest::newRow("other: no advice") << facts(OpenFailureCause::Other) << QStringList{};
}

void tst_SerialDevice::adviceNamesTheFix()
{
    QFETCH(OpenFailureFacts, facts);
    QFETCH(QStringList, expectedTexts);

    const QString advice = openFailureAdvice(facts);
    for (const QString &text : expectedTexts)
        QVERIFY2(advice.contains(text), qPrintable(text + " missing from: " + advice));
    // One sentence, to stand on its own line after the error; a group that
    // would not help is never suggested.
    QVERIFY2(advice.isEmpty() == expectedTexts.isEmpty(), qPrintable(advice));
    QVERIFY2(advice.isEmpty() || (advice.endsWith('.') && !advice.contains('\n')),
             qPrintable(advice));
    QCOMPARE(advice.contains("usermod"),
             facts.cause == OpenFailureCause::PermissionDenied && facts.groupMayRead
                 && !facts.deviceGroup.isEmpty());
}

void tst_SerialDevice::portsSection_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QString>("read"); // "reconnect port=device ..."
    QTest::addColumn<QStringList>("problems"); // what each message quotes

    QTest::newRow("no section: off, nothing mapped") << QByteArray() << "off" << QStringList();
    QTest::newRow("letter case does not matter")
        << QByteArray("reconnect=true\ncom3=/dev/ttyUSB0") << "on 3=/dev/ttyUSB0" << QStringList();
    QTest::newRow("False, and a port beyond the dialog's")
        << QByteArray("Reconnect=False\nCOM12=/dev/ttyACM0") << "off 12=/dev/ttyACM0"
        << QStringList();
    QTest::newRow("anything but True or False turns Reconnect off")
        << QByteArray("Reconnect=Yes\nCOM1=/dev/ttyUSB0") << "off 1=/dev/ttyUSB0"
        << QStringList{"Reconnect=Yes"};
    QTest::newRow("mistyped keys are told and turn nothing off")
        << QByteArray("Reconect=True\nCOM03=/dev/ttyUSB0\nCOM0=/dev/ttyS0\nReconnect=True") << "on"
        << QStringList{"Reconect", "COM03", "COM0"};
    QTest::newRow("a device path cut at 254 characters would open another device")
        << QByteArray("COM1=/dev/" + QByteArray(250, 'x') + "\nCOM2=/dev/ttyUSB0")
        << "off 2=/dev/ttyUSB0" << QStringList{"COM1"};
}

void tst_SerialDevice::portsSection()
{
    QFETCH(QByteArray, lines);
    QFETCH(QString, read);
    QFETCH(QStringList, problems);
    SectionFile file(lines.isEmpty() ? QByteArray() : "[PORTS]\r\n" + lines + "\r\n");
    const SectionSettings<PortsConfig> ports = readPortsSection(file.settings());
    QStringList seen{ports.config.reconnect ? "on" : "off"};
    for (auto device = ports.config.devices.cbegin(); device != ports.config.devices.cend();
         ++device)
        seen << QStringLiteral("%1=%2").arg(device.key()).arg(device.value());
    QCOMPARE(seen.join(u' '), read);
    for (QString &problem : problems)
        problem = '"' + problem;
    QVERIFY2(file.told(ports.problems, problems), qPrintable(ports.problems.join(u'\n')));
}

QTEST_APPLESS_MAIN(tst_SerialDevice)
#include "tst_serialdevice.moc"
