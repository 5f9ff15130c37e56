// SPDX-License-Identifier: MIT
#include "core/inputsettings.h"

#include "core/settingsfile.h"

#include <iterator>

namespace {

const QString ProtocolKey = QStringLiteral("Protocol");
const QString BaudKey = QStringLiteral("Baud");
const QString TcpKey = QStringLiteral("Tcp");
const QString UdpKey = QStringLiteral("Udp");
const QString WindKey = QStringLiteral("Wind");
const QString BoatSpeedKey = QStringLiteral("BoatSpeed");

// The rates instruments use: NMEA 0183 is specified at 4800 baud, the
// sensor sends at 9600.
constexpr qint32 NmeaBaud = 4800;
constexpr qint32 SensorBaud = 9600;

// The value in words of a key that takes one of a few words, in any
// letter case.
template<class Value, std::size_t N> auto oneOf(const std::pair<const char *, Value> (&words)[N])
{
    return [&words](const QString &text) -> std::optional<Value> {
        for (const auto &[word, value] : words) {
            if (text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0)
                return value;
        }
        return std::nullopt;
    };
}

const std::pair<const char *, InputProtocol> Protocols[] = {
    {"Sensor", InputProtocol::Sensor},
    {"NMEA0183", InputProtocol::Nmea0183},
    {"gpsd", InputProtocol::Gpsd},
};
const std::pair<const char *, NmeaWind> Winds[] = {
    {"Apparent", NmeaWind::Apparent},
    {"True", NmeaWind::True},
};
const std::pair<const char *, BoatSpeedSource> BoatSpeeds[] = {
    {"Water", BoatSpeedSource::Water},
    {"Ground", BoatSpeedSource::Ground},
};

std::optional<qint32> baudRate(const QString &text)
{
    for (const qint32 rate : InputBaudRates) {
        if (text == QString::number(rate))
            return rate;
    }
    return std::nullopt;
}

} // namespace

qint32 InputConfig::baudRate() const
{
    if (baud)
        return *baud;
    return protocol == InputProtocol::Sensor ? SensorBaud : NmeaBaud;
}

QString InputConfig::description(const QString &serialPortName) const
{
    if (tcpServer)
        return protocol == InputProtocol::Gpsd ? gpsdInputDescription(*tcpServer)
                                               : tcpInputDescription(*tcpServer);
    if (udpPort)
        return udpInputDescription(*udpPort);
    // The sensor is what the port has always read, so only NMEA is named.
    if (protocol == InputProtocol::Nmea0183)
        return QStringLiteral("%1 NMEA 0183 %2").arg(serialPortName).arg(baudRate());
    return QStringLiteral("%1 %2").arg(serialPortName).arg(baudRate());
}

QString tcpInputDescription(const IpEndpoint &server)
{
    return QStringLiteral("tcp ") + ipEndpointText(server);
}

QString udpInputDescription(quint16 port)
{
    return QStringLiteral("udp :%1").arg(port);
}

QString gpsdInputDescription(const IpEndpoint &server)
{
    return QStringLiteral("gpsd ") + ipEndpointText(server);
}

SectionSettings<InputConfig> readInputSection(const SettingsFile &file)
{
    InputConfig config;
    // The keys choose one input together, so any of them that cannot be
    // used leaves the input as without the section.
    SectionReader section(file, QLatin1String(InputSectionName),
                          {{QStringLiteral("Until this is mended, listening reads the sensor on "
                                           "the serial port, as without the section [INPUT]."),
                            [&config] {
                                config = InputConfig();
                            }}},
                          0);
    std::optional<InputProtocol> protocol;
    section.read({
        settingKey(ProtocolKey, protocol, oneOf(Protocols),
                   QStringLiteral("expected Sensor, NMEA0183 or gpsd.")),
        settingKey(BaudKey, config.baud, baudRate,
                   QStringLiteral("expected 4800, 9600, 19200, 38400, 57600 or 115200.")),
        settingKey(TcpKey, config.tcpServer, parseIpEndpoint,
                   QStringLiteral("expected a numeric address and a port, such as "
                                  "192.168.1.10:10110 or [fe80::1%eth0]:10110.")),
        settingKey(UdpKey, config.udpPort, parsePortNumber,
                   QStringLiteral("expected a port number from 1 to 65535.")),
        settingKey(WindKey, config.wind, oneOf(Winds),
                   QStringLiteral("expected Apparent or True.")),
        settingKey(BoatSpeedKey, config.boatSpeed, oneOf(BoatSpeeds),
                   QStringLiteral("expected Water or Ground.")),
    });

    config.protocol = protocol.value_or(InputProtocol::Sensor);
    if (config.tcpServer && config.udpPort)
        section.refuse(UdpKey,
                       QStringLiteral("Tcp=%1 is set as well, and the wind comes from one input "
                                      "only. Remove one of them.")
                           .arg(ipEndpointText(*config.tcpServer)));
    if (protocol == InputProtocol::Gpsd && !config.tcpServer)
        section.refuse(ProtocolKey,
                       QStringLiteral("gpsd is read from its TCP port: set Tcp to its address "
                                      "and port, usually Tcp=127.0.0.1:%1.")
                           .arg(GpsdUsualPort));
    else if (!config.isSerial() && protocol == InputProtocol::Sensor)
        section.refuse(ProtocolKey,
                       QStringLiteral("the sensor's frames come on the serial port only; Tcp "
                                      "and Udp carry NMEA0183."));
    else if (!config.isSerial() && config.protocol != InputProtocol::Gpsd)
        config.protocol = InputProtocol::Nmea0183;
    return section.finish(config);
}
