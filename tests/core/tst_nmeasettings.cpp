// SPDX-License-Identifier: MIT
#include "core/nmeasettings.h"
#include "sectionfile.h"

#include <QMap>
#include <QTest>

using Section = QMap<QString, QString>;

namespace {

// The section with these keys, as a file holds it; an empty value stands
// for a key left out.
SectionSettings<NmeaConfig> readSection(const Section &section)
{
    QByteArray text = "[NMEA]\r\n";
    for (auto key = section.cbegin(); key != section.cend(); ++key) {
        if (!key.value().isEmpty())
            text += key.key().toUtf8() + '=' + key.value().toUtf8() + "\r\n";
    }
    SectionFile file(text);
    return readNmeaSection(file.settings());
}

// A section that must read without a word.
NmeaConfig accepted(const Section &section)
{
    const SectionSettings<NmeaConfig> read = readSection(section);
    if (!read.problems.isEmpty())
        qWarning().noquote() << read.problems.join(u'\n');
    return read.problems.isEmpty() ? read.config : NmeaConfig();
}

} // namespace

class tst_NmeaSettings : public QObject
{
    Q_OBJECT

private slots:
    void noSectionMeansOutputOff();
    void readsEveryKey();
    void readsValues_data();
    void readsValues();
    void addresses_data();
    void addresses();
    void badValueNamesItsKey_data();
    void badValueNamesItsKey();
};

void tst_NmeaSettings::noSectionMeansOutputOff()
{
    const NmeaConfig config = accepted({});
    QVERIFY(!config.isOutputOn());
    QVERIFY(!config.tcpPort && !config.udpTarget);
}

void tst_NmeaSettings::readsEveryKey()
{
    const NmeaConfig config = accepted({{"TcpPort", "10110"},
                                        {"Bind", "127.0.0.1"},
                                        {"UdpTarget", "192.168.1.255:10111"},
                                        {"Sentences", "MWV,MWD"},
                                        {"SpeedUnit", "K"},
                                        {"SendExampleMode", "True"}});
    QCOMPARE(config.tcpPort, std::optional<quint16>(10110));
    QCOMPARE(config.bindAddress, QStringLiteral("127.0.0.1"));
    QVERIFY(config.udpTarget);
    QCOMPARE(config.udpTarget->address, QStringLiteral("192.168.1.255"));
    QCOMPARE(config.udpTarget->port, quint16(10111));
    QVERIFY(config.sendMwv && config.sendMwd);
    QCOMPARE(config.speedUnit, SpeedUnit::KilometresPerHour);
    QVERIFY(config.sendExampleMode);
}

// One key set at a time next to TcpPort; the rest keep their defaults.
void tst_NmeaSettings::readsValues_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("mwv");
    QTest::addColumn<bool>("mwd");
    QTest::addColumn<SpeedUnit>("unit");
    QTest::addColumn<bool>("sendExampleMode");

    const auto n = SpeedUnit::Knots;
    QTest::newRow("defaults: MWV only, knots, no example mode")
        << "Bind"
        << "" << true << false << n << false;
    QTest::newRow("MWD alone") << "Sentences"
                               << "MWD" << false << true << n << false;
    QTest::newRow("list with blanks and lower case") << "Sentences"
                                                     << " mwd , mwv " << true << true << n << false;
    QTest::newRow("repeated sentence counts once") << "Sentences"
                                                   << "MWV,MWV" << true << false << n << false;
    QTest::newRow("m/s, lower case") << "SpeedUnit"
                                     << "m" << true << false << SpeedUnit::MetresPerSecond << false;
    QTest::newRow("example mode switched on, any case") << "SendExampleMode"
                                                        << "TRUE" << true << false << n << true;
    QTest::newRow("example mode explicitly off") << "SendExampleMode"
                                                 << "false" << true << false << n << false;
}

void tst_NmeaSettings::readsValues()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(bool, mwv);
    QFETCH(bool, mwd);
    QFETCH(SpeedUnit, unit);
    QFETCH(bool, sendExampleMode);

    const NmeaConfig config = accepted({{"TcpPort", "10110"}, {key, value}});
    QCOMPARE(config.sendMwv, mwv);
    QCOMPARE(config.sendMwd, mwd);
    QCOMPARE(config.speedUnit, unit);
    QCOMPARE(config.sendExampleMode, sendExampleMode);
}

// A valid address is handed on without brackets, ready for the network
// library; an invalid one is refused before any socket exists.
void tst_NmeaSettings::addresses_data()
{
    QTest::addColumn<QString>("bind");
    QTest::addColumn<QString>("udpTarget");
    QTest::addColumn<QString>("address"); // what the config holds; empty: refused

    QTest::newRow("IPv4 broadcast target") << ""
                                           << "255.255.255.255:1"
                                           << "255.255.255.255";
    QTest::newRow("bracketed IPv6 target") << ""
                                           << "[2001:db8::1]:10110"
                                           << "2001:db8::1";
    QTest::newRow("link-local target with scope") << ""
                                                  << "[fe80::1%eth0]:10110"
                                                  << "fe80::1%eth0";
    QTest::newRow("IPv4 inside IPv6") << ""
                                      << "[::ffff:192.0.2.1]:10110"
                                      << "::ffff:192.0.2.1";
    QTest::newRow("eight full groups") << "1:2:3:4:5:6:7:8"
                                       << ""
                                       << "1:2:3:4:5:6:7:8";
    QTest::newRow("IPv6 any, bracketed") << "[::]"
                                         << ""
                                         << "::";
    QTest::newRow("IPv6 loopback, bare") << "::1"
                                         << ""
                                         << "::1";
    QTest::newRow("trailing gap") << "1:2:3:4:5:6:7::"
                                  << ""
                                  << "1:2:3:4:5:6:7::";

    QTest::newRow("host name needs a lookup") << ""
                                              << "chartplotter.local:10110"
                                              << "";
    QTest::newRow("IPv4 part above 255") << ""
                                         << "192.168.1.256:10110"
                                         << "";
    QTest::newRow("leading zero could be octal") << ""
                                                 << "192.168.01.1:10110"
                                                 << "";
    QTest::newRow("three IPv4 parts") << ""
                                      << "192.168.1:10110"
                                      << "";
    QTest::newRow("IPv6 without brackets before a port") << ""
                                                         << "::1:10110:10110"
                                                         << "";
    QTest::newRow("target without port") << ""
                                         << "192.168.1.1"
                                         << "";
    QTest::newRow("target port 0") << ""
                                   << "192.168.1.1:0"
                                   << "";
    QTest::newRow("target port above 65535") << ""
                                             << "192.168.1.1:65536"
                                             << "";
    QTest::newRow("two gaps") << "1::2::3"
                              << ""
                              << "";
    QTest::newRow("triple colon") << ":::1"
                                  << ""
                                  << "";
    QTest::newRow("nine groups") << "1:2:3:4:5:6:7:8:9"
                                 << ""
                                 << "";
    QTest::newRow("gap with eight groups") << "1:2:3:4::5:6:7:8"
                                           << ""
                                           << "";
    QTest::newRow("five hex digits") << "12345::"
                                     << ""
                                     << "";
    QTest::newRow("IPv4 before the gap") << "1.2.3.4::"
                                         << ""
                                         << "";
    QTest::newRow("empty scope") << "fe80::1%"
                                 << ""
                                 << "";
    QTest::newRow("blank inside") << "127.0.0 .1"
                                  << ""
                                  << "";
}

void tst_NmeaSettings::addresses()
{
    QFETCH(QString, bind);
    QFETCH(QString, udpTarget);
    QFETCH(QString, address);

    const Section section{{"TcpPort", "10110"}, {"Bind", bind}, {"UdpTarget", udpTarget}};
    const SectionSettings<NmeaConfig> read = readSection(section);
    if (address.isEmpty()) {
        QCOMPARE(read.problems.size(), 1);
        QVERIFY(read.problems.first().contains(bind.isEmpty() ? "\"UdpTarget=" : "\"Bind="));
        QVERIFY(!read.config.isOutputOn());
    } else {
        QVERIFY2(read.problems.isEmpty(), qPrintable(read.problems.join(u'\n')));
        QCOMPARE(bind.isEmpty() ? read.config.udpTarget->address : read.config.bindAddress,
                 address);
    }
}

void tst_NmeaSettings::badValueNamesItsKey_data()
{
    QTest::addColumn<Section>("section");
    QTest::addColumn<QString>("named");

    QTest::newRow("port 0") << Section{{"TcpPort", "0"}} << "TcpPort=0";
    QTest::newRow("port 65536") << Section{{"TcpPort", "65536"}} << "TcpPort=65536";
    QTest::newRow("port with a fraction") << Section{{"TcpPort", "10110.5"}} << "TcpPort=";
    QTest::newRow("port with a sign") << Section{{"TcpPort", "+10110"}} << "TcpPort=";
    QTest::newRow("port of many digits")
        << Section{{"TcpPort", "99999999999999999999"}} << "TcpPort=";
    QTest::newRow("unknown sentence")
        << Section{{"TcpPort", "1"}, {"Sentences", "MWV,VWR"}} << "Sentences=MWV,VWR";
    QTest::newRow("empty item in the list")
        << Section{{"TcpPort", "1"}, {"Sentences", "MWV,"}} << "Sentences=";
    QTest::newRow("unit spelled out")
        << Section{{"TcpPort", "1"}, {"SpeedUnit", "knots"}} << "SpeedUnit=knots";
    QTest::newRow("switch as a number")
        << Section{{"TcpPort", "1"}, {"SendExampleMode", "1"}} << "SendExampleMode=1";
    QTest::newRow("keys set but nowhere to send")
        << Section{{"Sentences", "MWD"}} << "neither TcpPort nor UdpTarget";
}

void tst_NmeaSettings::badValueNamesItsKey()
{
    QFETCH(Section, section);
    QFETCH(QString, named);
    const SectionSettings<NmeaConfig> read = readSection(section);
    QCOMPARE(read.problems.size(), 1);
    const QString &problem = read.problems.first();
    QVERIFY2(problem.contains("section [NMEA]") && problem.contains(named)
                 && problem.endsWith("The wind is not shared with other programs until this is "
                                     "mended. The display works as usual."),
             qPrintable(problem));
    QVERIFY(!read.config.isOutputOn());
}

QTEST_APPLESS_MAIN(tst_NmeaSettings)
#include "tst_nmeasettings.moc"
