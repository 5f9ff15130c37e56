// SPDX-License-Identifier: MIT
#include "core/apperror.h"
#include "core/inputsettings.h"
#include "core/settingsfile.h"

#include <QFile>

#include <QMap>
#include <QTemporaryDir>
#include <QTest>

using Section = QMap<QString, QString>;

namespace {

InputConfig readSection(const Section &section)
{
    return readInputConfig([&section](const QString &key) { return section.value(key); });
}

} // namespace

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
    QTest::addColumn<Section>("section");
    QTest::addColumn<QString>("description"); // of serial port COM3
    QTest::addColumn<NmeaWind>("wind");

    const auto apparent = NmeaWind::Apparent;
    QTest::newRow("no section: the sensor at 9600") << Section{} << "COM3 9600" << apparent;
    QTest::newRow("the sensor at another rate")
        << Section{{"Protocol", "Sensor"}, {"Baud", "19200"}} << "COM3 19200" << apparent;
    QTest::newRow("NMEA 0183 at its usual 4800")
        << Section{{"Protocol", "NMEA0183"}} << "COM3 NMEA 0183 4800" << apparent;
    QTest::newRow("NMEA 0183 from a multiplexer, any case")
        << Section{{"Protocol", "nmea0183"}, {"Baud", "115200"}, {"Wind", "TRUE"}}
        << "COM3 NMEA 0183 115200" << NmeaWind::True;
    QTest::newRow("Tcp alone means NMEA 0183")
        << Section{{"Tcp", "192.168.1.10:10110"}} << "tcp 192.168.1.10:10110" << apparent;
    QTest::newRow("Tcp to IPv6 keeps its brackets")
        << Section{{"Protocol", "NMEA0183"}, {"Tcp", "[fe80::1%eth0]:10110"}}
        << "tcp [fe80::1%eth0]:10110" << apparent;
    QTest::newRow("Udp, a baud rate left over is harmless")
        << Section{{"Udp", "10110"}, {"Baud", "4800"}, {"Wind", "apparent"}} << "udp :10110"
        << apparent;
}

void tst_InputSettings::readsInput()
{
    QFETCH(Section, section);
    QFETCH(QString, description);
    QFETCH(NmeaWind, wind);

    const InputConfig config = readSection(section);
    QCOMPARE(config.description(QStringLiteral("COM3")), description);
    QCOMPARE(config.wind, wind);
    QCOMPARE(config.protocol == InputProtocol::Nmea0183,
             description.contains(u"NMEA") || !config.isSerial());
}

// Both checks, as a settings file holds the section: of the keys, and of the
// values.
void tst_InputSettings::badValueNamesItsKey_data()
{
    QTest::addColumn<Section>("section");
    QTest::addColumn<QString>("named");

    QTest::newRow("protocol misspelled") << Section{{"Protocol", "NMEA"}} << "Protocol=NMEA:";
    QTest::newRow("baud rate not offered") << Section{{"Baud", "1200"}} << "Baud=1200:";
    QTest::newRow("baud rate with a leading zero") << Section{{"Baud", "04800"}} << "Baud=04800:";
    QTest::newRow("Tcp by host name")
        << Section{{"Tcp", "boatserver.local:10110"}} << "Tcp=boatserver.local:10110:";
    QTest::newRow("Tcp without a port") << Section{{"Tcp", "192.168.1.10"}} << "Tcp=192.168.1.10:";
    QTest::newRow("Udp port 0") << Section{{"Udp", "0"}} << "Udp=0:";
    QTest::newRow("Udp with an address") << Section{{"Udp", "0.0.0.0:10110"}} << "Udp=0.0.0.0:";
    QTest::newRow("wind neither") << Section{{"Wind", "Both"}} << "Wind=Both:";
    QTest::newRow("Tcp and Udp together")
        << Section{{"Tcp", "127.0.0.1:10110"}, {"Udp", "10110"}} << "Tcp=127.0.0.1:10110 is set";
    QTest::newRow("sensor frames over the network")
        << Section{{"Protocol", "Sensor"}, {"Udp", "10110"}} << "Protocol=Sensor:";
    QTest::newRow("unknown key") << Section{{"Port", "10110"}} << "\"Port\"";
    QTest::newRow("empty value") << Section{{"wind", " "}} << "\"wind\"";
}

void tst_InputSettings::badValueNamesItsKey()
{
    QFETCH(Section, section);
    QFETCH(QString, named);

    QTemporaryDir folder;
    SettingsFile settings(folder.path(), folder.path());
    settings.selectFile(QStringLiteral("Application.ini"));
    QByteArray text = "[INPUT]\r\n";
    for (auto it = section.cbegin(); it != section.cend(); ++it)
        text += it.key().toLatin1() + '=' + it.value().toLatin1() + "\r\n";
    QFile file(settings.path());
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    file.close();
    try {
        readInputSection(settings);
        QFAIL("a bad section was accepted");
    } catch (const AppError &error) {
        QCOMPARE(error.kind(), AppError::Kind::InvalidArgument);
        QVERIFY2(error.description().contains("[INPUT]"), qPrintable(error.description()));
        QVERIFY2(error.description().contains(named), qPrintable(error.description()));
    }
}

QTEST_APPLESS_MAIN(tst_InputSettings)
#include "tst_inputsettings.moc"
