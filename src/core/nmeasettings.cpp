// SPDX-License-Identifier: MIT
#include "core/nmeasettings.h"

#include "core/apperror.h"
#include "core/ipliteral.h"
#include "core/sectionkeys.h"
#include "core/settingsfile.h"
#include "core/settingstext.h"

#include <QStringList>

namespace {

const QString TcpPortKey = QStringLiteral("TcpPort");
const QString BindKey = QStringLiteral("Bind");
const QString UdpTargetKey = QStringLiteral("UdpTarget");
const QString SentencesKey = QStringLiteral("Sentences");
const QString SpeedUnitKey = QStringLiteral("SpeedUnit");
const QString SendExampleModeKey = QStringLiteral("SendExampleMode");

[[noreturn]] void raise(const QString &description)
{
    raiseSectionError(QLatin1String(NmeaSectionName), description);
}

[[noreturn]] void raiseBadValue(const QString &key, const QString &value, const QString &expected)
{
    raiseBadSectionValue(QLatin1String(NmeaSectionName), key, value, expected);
}

quint16 readPort(const QString &key, const QString &text)
{
    if (const std::optional<quint16> port = parsePortNumber(text))
        return *port;
    raiseBadValue(key, text, QStringLiteral("the port must be a whole number from 1 to 65535."));
}

QString readBindAddress(const QString &text)
{
    QStringView address = text;
    if (address.startsWith(u'[') && address.endsWith(u']'))
        address = address.mid(1, address.size() - 2);
    if (!isIpv4Literal(address) && !isIpv6Literal(address))
        raiseBadValue(BindKey, text,
                      QStringLiteral("expected a numeric IPv4 or IPv6 address of this machine, "
                                     "such as 0.0.0.0 (every IPv4 interface) or ::."));
    return address.toString();
}

[[noreturn]] void raiseBadUdpTarget(const QString &text)
{
    raiseBadValue(UdpTargetKey, text,
                  QStringLiteral("expected a numeric address and a port, such as "
                                 "192.168.1.255:10110 or [fe80::1%eth0]:10110."));
}

NmeaEndpoint readUdpTarget(const QString &text)
{
    const std::optional<IpEndpoint> target = parseIpEndpoint(text);
    if (!target)
        raiseBadUdpTarget(text);
    return NmeaEndpoint{target->address, target->port};
}

void readSentences(const QString &text, NmeaConfig &config)
{
    config.sendMwv = false;
    config.sendMwd = false;
    for (const QString &item : text.split(u',')) {
        const QString name = item.trimmed();
        if (name.compare(u"MWV", Qt::CaseInsensitive) == 0)
            config.sendMwv = true;
        else if (name.compare(u"MWD", Qt::CaseInsensitive) == 0)
            config.sendMwd = true;
        else
            raiseBadValue(SentencesKey, text,
                          QStringLiteral("expected MWV, MWD or both, separated by a comma."));
    }
}

SpeedUnit readSpeedUnit(const QString &text)
{
    for (const SpeedUnit unit :
         {SpeedUnit::Knots, SpeedUnit::MetresPerSecond, SpeedUnit::KilometresPerHour}) {
        if (text.compare(QChar::fromLatin1(nmeaUnitLetter(unit)), Qt::CaseInsensitive) == 0)
            return unit;
    }
    raiseBadValue(SpeedUnitKey, text,
                  QStringLiteral("expected N (knots), M (metres per second) or K (km/h)."));
}

bool readSwitch(const QString &key, const QString &text)
{
    if (const std::optional<bool> on = plainSwitch(text))
        return *on;
    raiseBadValue(key, text, QStringLiteral("expected True or False."));
}

} // namespace

NmeaConfig readNmeaConfig(const NmeaSettingLookup &valueOf)
{
    NmeaConfig config;
    bool anyKeySet = false;
    const auto read = [&](const QString &key) {
        const QString text = valueOf(key).trimmed();
        anyKeySet = anyKeySet || !text.isEmpty();
        return text;
    };

    if (const QString text = read(TcpPortKey); !text.isEmpty())
        config.tcpPort = readPort(TcpPortKey, text);
    if (const QString text = read(BindKey); !text.isEmpty())
        config.bindAddress = readBindAddress(text);
    if (const QString text = read(UdpTargetKey); !text.isEmpty())
        config.udpTarget = readUdpTarget(text);
    if (const QString text = read(SentencesKey); !text.isEmpty())
        readSentences(text, config);
    if (const QString text = read(SpeedUnitKey); !text.isEmpty())
        config.speedUnit = readSpeedUnit(text);
    if (const QString text = read(SendExampleModeKey); !text.isEmpty())
        config.sendExampleMode = readSwitch(SendExampleModeKey, text);

    if (anyKeySet && !config.isOutputOn())
        raise(QStringLiteral("neither %1 nor %2 is set, so the wind would be shared with no one. "
                             "Set one of them, or remove the section.")
                  .arg(TcpPortKey, UdpTargetKey));
    return config;
}

NmeaConfig readNmeaSection(const SettingsFile &file)
{
    const QString section = QLatin1String(NmeaSectionName);
    checkSectionKeys(
        file, section,
        {TcpPortKey, BindKey, UdpTargetKey, SentencesKey, SpeedUnitKey, SendExampleModeKey});
    return readNmeaConfig([&](const QString &key) { return file.readKey(section, key); });
}
