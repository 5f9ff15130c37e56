// SPDX-License-Identifier: MIT
#include "core/inputsettings.h"
#include "sectionfile.h"

#include <QTest>

class tst_InputSettings : public QObject
{
    Q_OBJECT

private slots:
    void readsInput_data();
    void readsInput();
    void badValueNamesItsKey_data();
    void badValueNamesItsKey();
};

// What the section chooses, told by the description the link health shows.
void tst_InputSettings::readsInput_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QString>("description"); // of serial port COM3
    QTest::addColumn<NmeaWind>("wind");
    QTest::addColumn<BoatSpeedSource>("boatSpeed");

    const auto apparent = NmeaWind::Apparent;
    const auto water = BoatSpeedSource::Water;
    QTest::newRow("no section: the sensor at 9600")
        << QByteArray() << "COM3 9600" << apparent << water;
    QTest::newRow("the sensor at another rate")
        << QByteArray("Protocol=Sensor\nBaud=19200") << "COM3 19200" << apparent << water;
    QTest::newRow("NMEA 0183 at its usual 4800")
        << QByteArray("Protocol=NMEA0183") << "COM3 NMEA 0183 4800" << apparent << water;
    QTest::newRow("NMEA 0183 from a multiplexer, any case")
        << QByteArray("Protocol=nmea0183\nBaud=115200\nWind=TRUE") << "COM3 NMEA 0183 115200"
        << NmeaWind::True << water;
    QTest::newRow("Tcp alone means NMEA 0183")
        << QByteArray("Tcp=192.168.1.10:10110") << "tcp 192.168.1.10:10110" << apparent << water;
    QTest::newRow("Tcp to IPv6 keeps its brackets")
        << QByteArray("Protocol=NMEA0183\nTcp=[fe80::1%eth0]:10110") << "tcp [fe80::1%eth0]:10110"
        << apparent << water;
    QTest::newRow("Udp, a baud rate left over is harmless")
        << QByteArray("Udp=10110\nBaud=4800\nWind=apparent") << "udp :10110" << apparent << water;
    QTest::newRow("gpsd on its usual port, true wind over the ground")
        << QByteArray("Protocol=GPSD\nTcp=127.0.0.1:2947\nWind=True\nBoatSpeed=ground")
        << "gpsd 127.0.0.1:2947" << NmeaWind::True << BoatSpeedSource::Ground;
}

void tst_InputSettings::readsInput()
{
    QFETCH(QByteArray, section);
    QFETCH(QString, description);
    QFETCH(NmeaWind, wind);
    QFETCH(BoatSpeedSource, boatSpeed);

    SectionFile file(section.isEmpty() ? QByteArray() : "[INPUT]\n" + section + '\n');
    const SectionSettings<InputConfig> read = readInputSection(file.settings());
    QCOMPARE(read.problems, QStringList());
    QCOMPARE(read.config.description(QStringLiteral("COM3")), description);
    QCOMPARE(read.config.wind, wind);
    QCOMPARE(read.config.boatSpeed, boatSpeed);
    QCOMPARE(read.config.protocol == InputProtocol::Nmea0183,
             description.contains(u"NMEA") || description.startsWith(u"tcp")
                 || description.startsWith(u"udp"));
}

// Any setting that cannot be used leaves the whole input as without the
// section: the sensor on the serial port.
void tst_InputSettings::badValueNamesItsKey_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QString>("named");

    QTest::newRow("protocol misspelled") << QByteArray("Protocol=NMEA") << "\"Protocol=NMEA\"";
    QTest::newRow("baud rate not offered") << QByteArray("Baud=1200") << "\"Baud=1200\"";
    QTest::newRow("baud rate with a leading zero") << QByteArray("Baud=04800") << "\"Baud=04800\"";
    QTest::newRow("Tcp by host name")
        << QByteArray("Tcp=boatserver.local:10110") << "\"Tcp=boatserver.local:10110\"";
    QTest::newRow("Tcp without a port") << QByteArray("Tcp=192.168.1.10") << "\"Tcp=192.168.1.10\"";
    QTest::newRow("Udp port 0") << QByteArray("Udp=0") << "\"Udp=0\"";
    QTest::newRow("Udp with an address") << QByteArray("Udp=0.0.0.0:10110") << "\"Udp=0.0.0.0:";
    QTest::newRow("wind neither") << QByteArray("Wind=Both") << "\"Wind=Both\"";
    QTest::newRow("boat speed neither") << QByteArray("BoatSpeed=Air") << "\"BoatSpeed=Air\"";
    QTest::newRow("Tcp and Udp together")
        << QByteArray("Tcp=127.0.0.1:10110\nUdp=10110") << "Tcp=127.0.0.1:10110 is set";
    QTest::newRow("sensor frames over the network")
        << QByteArray("Protocol=Sensor\nUdp=10110") << "\"Protocol=Sensor\"";
    QTest::newRow("gpsd without its TCP port")
        << QByteArray("Protocol=gpsd") << "usually Tcp=127.0.0.1:2947";
    QTest::newRow("gpsd by datagram")
        << QByteArray("Protocol=gpsd\nUdp=2947") << "\"Protocol=gpsd\"";
    QTest::newRow("unknown key") << QByteArray("Tcp=127.0.0.1:10110\nPort=10110") << "\"Port\"";
    QTest::newRow("empty value") << QByteArray("Tcp=127.0.0.1:10110\nwind= ") << "\"wind\"";
}

void tst_InputSettings::badValueNamesItsKey()
{
    QFETCH(QByteArray, section);
    QFETCH(QString, named);

    SectionFile file("[INPUT]\r\n" + section + "\r\n");
    const SectionSettings<InputConfig> read = readInputSection(file.settings());
    QVERIFY2(file.told(read.problems, {named}), qPrintable(read.problems.join(u'\n')));
    QVERIFY(read.problems.first().contains("[INPUT]"));
    QVERIFY(read.problems.first().endsWith("reads the sensor on the serial port, as without the "
                                           "section [INPUT]."));
    QCOMPARE(read.config.description(QStringLiteral("COM3")), QStringLiteral("COM3 9600"));
}

QTEST_APPLESS_MAIN(tst_InputSettings)
#include "tst_inputsettings.moc"
