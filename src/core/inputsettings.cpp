// SPDX-License-Identifier: MIT
#include "core/inputsettings.h"

#include "core/apperror.h"
#include "core/sectionkeys.h"
#include "core/settingsfile.h"

namespace {

const QString ProtocolKey = QStringLiteral("Protocol");
const QString BaudKey = QStringLiteral("Baud");
const QString TcpKey = QStringLiteral("Tcp");
const QString UdpKey = QStringLiteral("Udp");
const QString WindKey = QStringLiteral("Wind");
const QStringList InputKeys = {ProtocolKey, BaudKey, TcpKey, UdpKey, WindKey};

// The rates instruments use: NMEA 0183 is specified at 4800 baud, the
// sensor sends at 9600.
constexpr qint32 NmeaBaud = 4800;
constexpr qint32 SensorBaud = 9600;

[[noreturn]] void raiseBadValue(const QString &key, const QString &value, const QString &expected)
{
    raiseBadSectionValue(QLatin1String(InputSectionName), key, value, expected);
}

bool matches(const QString &text, const char *word)
{
    return text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

InputProtocol readProtocol(const QString &text)
{
    if (matches(text, "Sensor"))
        return InputProtocol::Sensor;
    if (matches(text, "NMEA0183"))
        return InputProtocol::Nmea0183;
    raiseBadValue(ProtocolKey, text, QStringLiteral("expected Sensor or NMEA0183."));
}

qint32 readBaud(const QString &text)
{
    for (const qint32 rate : InputBaudRates) {
        if (text == QString::number(rate))
            return rate;
    }
    raiseBadValue(BaudKey, text,
                  QStringLiteral("expected 4800, 9600, 19200, 38400, 57600 or 115200."));
}

IpEndpoint readTcp(const QString &text)
{
    if (const std::optional<IpEndpoint> server = parseIpEndpoint(text))
        return *server;
    raiseBadValue(TcpKey, text,
                  QStringLiteral("expected a numeric address and a port, such as "
                                 "192.168.1.10:10110 or [fe80::1%eth0]:10110."));
}

quint16 readUdp(const QString &text)
{
    if (const std::optional<quint16> port = parsePortNumber(text))
        return *port;
    raiseBadValue(UdpKey, text, QStringLiteral("expected a port number from 1 to 65535."));
}

NmeaWind readWind(const QString &text)
{
    if (matches(text, "Apparent"))
        return NmeaWind::Apparent;
    if (matches(text, "True"))
        return NmeaWind::True;
    raiseBadValue(WindKey, text, QStringLiteral("expected Apparent or True."));
}

} // namespace

qint32 InputConfig::baudRate() const
{
    if (baud)
        return *baud;
    return protocol == InputProtocol::Nmea0183 ? NmeaBaud : SensorBaud;
}

QString InputConfig::description(const QString &serialPortName) const
{
    if (tcpServer)
        return tcpInputDescription(*tcpServer);
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

InputConfig readInputConfig(const InputSettingLookup &valueOf)
{
    InputConfig config;
    const auto read = [&](const QString &key) {
        return valueOf(key).trimmed();
    };

    const QString protocol = read(ProtocolKey);
    if (!protocol.isEmpty())
        config.protocol = readProtocol(protocol);
    if (const QString text = read(BaudKey); !text.isEmpty())
        config.baud = readBaud(text);
    const QString tcp = read(TcpKey);
    if (!tcp.isEmpty())
        config.tcpServer = readTcp(tcp);
    const QString udp = read(UdpKey);
    if (!udp.isEmpty())
        config.udpPort = readUdp(udp);
    if (const QString text = read(WindKey); !text.isEmpty())
        config.wind = readWind(text);

    if (config.tcpServer && config.udpPort)
        raiseBadValue(UdpKey, udp,
                      QStringLiteral("Tcp=%1 is set as well, and the wind comes from one input "
                                     "only. Remove one of them.")
                          .arg(tcp));
    if (!config.isSerial()) {
        if (config.protocol == InputProtocol::Sensor && !protocol.isEmpty())
            raiseBadValue(ProtocolKey, protocol,
                          QStringLiteral("the sensor's frames come on the serial port only; "
                                         "Tcp and Udp carry NMEA0183."));
        config.protocol = InputProtocol::Nmea0183;
    }
    return config;
}

InputConfig readInputSection(const SettingsFile &file)
{
    const QString section = QLatin1String(InputSectionName);
    checkSectionKeys(file, section, InputKeys);
    return readInputConfig([&](const QString &key) { return file.readKey(section, key); });
}
