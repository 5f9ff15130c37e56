// SPDX-License-Identifier: MIT
#include "core/nmeasettings.h"

#include "core/ipliteral.h"
#include "core/settingsfile.h"
#include "core/settingstext.h"

#include <QStringList>

#include <utility>

namespace {

const QString TcpPortKey = QStringLiteral("TcpPort");
const QString BindKey = QStringLiteral("Bind");
const QString UdpTargetKey = QStringLiteral("UdpTarget");
const QString SentencesKey = QStringLiteral("Sentences");
const QString SpeedUnitKey = QStringLiteral("SpeedUnit");
const QString SendExampleModeKey = QStringLiteral("SendExampleMode");

std::optional<QString> bindAddress(const QString &text)
{
    QStringView address = text;
    if (address.startsWith(u'[') && address.endsWith(u']'))
        address = address.mid(1, address.size() - 2);
    if (!isIpv4Literal(address) && !isIpv6Literal(address))
        return std::nullopt;
    return address.toString();
}

std::optional<NmeaEndpoint> udpTarget(const QString &text)
{
    const std::optional<IpEndpoint> target = parseIpEndpoint(text);
    if (!target)
        return std::nullopt;
    return NmeaEndpoint{target->address, target->port};
}

// MWV, MWD or both.
using SentenceChoice = std::pair<bool, bool>;

std::optional<SentenceChoice> sentences(const QString &text)
{
    SentenceChoice choice{false, false};
    for (const QString &item : text.split(u',')) {
        const QString name = item.trimmed();
        if (name.compare(u"MWV", Qt::CaseInsensitive) == 0)
            choice.first = true;
        else if (name.compare(u"MWD", Qt::CaseInsensitive) == 0)
            choice.second = true;
        else
            return std::nullopt;
    }
    return choice;
}

std::optional<SpeedUnit> speedUnit(const QString &text)
{
    for (const SpeedUnit unit :
         {SpeedUnit::Knots, SpeedUnit::MetresPerSecond, SpeedUnit::KilometresPerHour}) {
        if (text.compare(QChar::fromLatin1(nmeaUnitLetter(unit)), Qt::CaseInsensitive) == 0)
            return unit;
    }
    return std::nullopt;
}

} // namespace

SectionSettings<NmeaConfig> readNmeaSection(const SettingsFile &file)
{
    NmeaConfig config;
    // Sharing with a setting left out would send something other than what
    // was asked for, so any setting that cannot be used turns it off.
    SectionReader section(file, QLatin1String(NmeaSectionName),
                          {{QStringLiteral("The wind is not shared with other programs until "
                                           "this is mended. The display works as usual."),
                            [&config] {
                                config = NmeaConfig();
                            }}},
                          0);
    SentenceChoice sent{config.sendMwv, config.sendMwd};
    section.read({
        settingKey(TcpPortKey, config.tcpPort, parsePortNumber,
                   QStringLiteral("the port must be a whole number from 1 to 65535.")),
        settingKey(BindKey, config.bindAddress, bindAddress,
                   QStringLiteral("expected a numeric IPv4 or IPv6 address of this machine, "
                                  "such as 0.0.0.0 (every IPv4 interface) or ::.")),
        settingKey(UdpTargetKey, config.udpTarget, udpTarget,
                   QStringLiteral("expected a numeric address and a port, such as "
                                  "192.168.1.255:10110 or [fe80::1%eth0]:10110.")),
        settingKey(SentencesKey, sent, sentences,
                   QStringLiteral("expected MWV, MWD or both, separated by a comma.")),
        settingKey(SpeedUnitKey, config.speedUnit, speedUnit,
                   QStringLiteral("expected N (knots), M (metres per second) or K (km/h).")),
        settingKey(SendExampleModeKey, config.sendExampleMode, plainSwitch,
                   QStringLiteral("expected True or False.")),
    });
    config.sendMwv = sent.first;
    config.sendMwd = sent.second;

    if (!section.isEmpty() && !section.isOff(0) && !config.isOutputOn())
        section.refuseSection(QStringLiteral("neither %1 nor %2 is set, so the wind would be "
                                             "shared with no one. Set one of them, or remove the "
                                             "section.")
                                  .arg(TcpPortKey, UdpTargetKey),
                              0);
    return section.finish(config);
}
