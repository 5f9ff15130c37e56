// SPDX-License-Identifier: MIT
#include "core/mqttsettings.h"

#include "core/ipliteral.h"
#include "core/settingsfile.h"
#include "core/settingstext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace {

const QString HostKey = QStringLiteral("Host");
const QString PortKey = QStringLiteral("Port");
const QString CaFileKey = QStringLiteral("CaFile");
const QString UsernameKey = QStringLiteral("Username");
const QString PasswordFileKey = QStringLiteral("PasswordFile");
const QString TopicKey = QStringLiteral("Topic");
const QString IntervalKey = QStringLiteral("Interval");
const QString DiscoveryKey = QStringLiteral("Discovery");
const QString DiscoveryPrefixKey = QStringLiteral("DiscoveryPrefix");
const QString SendExampleModeKey = QStringLiteral("SendExampleMode");

bool isHostName(QStringView text)
{
    if (text.isEmpty() || text.size() > 253)
        return false;
    for (QStringView label : text.split(u'.')) {
        if (label.isEmpty() || label.size() > 63 || label.startsWith(u'-') || label.endsWith(u'-'))
            return false;
        for (const QChar c : label) {
            if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'-' && c != u'_')
                return false;
        }
    }
    return true;
}

std::optional<QString> host(const QString &text)
{
    QStringView name = text;
    if (name.startsWith(u'[') && name.endsWith(u']')) {
        name = name.mid(1, name.size() - 2);
        if (isIpv6Literal(name))
            return name.toString();
    } else if (isIpv4Literal(name) || isIpv6Literal(name) || isHostName(name)) {
        return name.toString();
    }
    return std::nullopt;
}

// A topic that a broker accepts for publishing and that ends in a level of
// its own: no wildcards, no empty level at either end.
std::optional<QString> topic(const QString &text)
{
    if (text.contains(u'+') || text.contains(u'#') || text.contains(QChar(0))
        || text.startsWith(u'/') || text.endsWith(u'/') || text.startsWith(u'$'))
        return std::nullopt;
    return text;
}

const QString TopicExpected = QStringLiteral("expected a topic such as wind-condition/deck: no + "
                                             "or #, no / at either end, no $ at the start.");

// Host names may hold characters that are wildcards in a topic.
QString defaultTopic(const QString &hostName)
{
    QString level = hostName.isEmpty() ? QStringLiteral("localhost") : hostName;
    for (QChar &c : level) {
        if (c == u'+' || c == u'#' || c == u'/' || c == QChar(0))
            c = u'_';
    }
    return QStringLiteral("wind-condition/") + level;
}

// The files the settings name, read as the connection will need them: what
// is wrong with one, or nothing.
std::optional<QString> checkCaFile(const QString &path)
{
    QFile ca(path);
    if (!ca.open(QIODevice::ReadOnly))
        return QStringLiteral("the file cannot be read (%1).").arg(ca.errorString());
    return std::nullopt;
}

std::optional<QString> readPassword(const QString &path, QByteArray &password)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("the file cannot be read (%1).").arg(file.errorString());
    // Group members are others too: a password file is for its owner alone,
    // as ssh asks of a private key.
    if (file.permissions() & (QFile::ReadGroup | QFile::ReadOther))
        return QStringLiteral("the file can be read by others. Make it readable by its owner "
                              "alone (chmod 600), then start again.");
    password = file.readLine(4096);
    while (password.endsWith('\n') || password.endsWith('\r'))
        password.chop(1);
    if (password.isEmpty())
        return QStringLiteral("the first line of the file is empty.");
    return std::nullopt;
}

} // namespace

SectionSettings<MqttConfig> readMqttSection(const SettingsFile &file, const QString &hostName)
{
    MqttConfig config;
    SectionReader section(file, QLatin1String(MqttSectionName),
                          {{QStringLiteral("The wind is not published to the MQTT broker until "
                                           "this is mended. The display works as usual."),
                            [&config] {
                                config = MqttConfig();
                            }}},
                          0);
    const QDir settingsFolder(QFileInfo(file.path()).absolutePath());
    const auto absolutePath = [&settingsFolder](const QString &text) -> std::optional<QString> {
        return QDir::cleanPath(settingsFolder.absoluteFilePath(text));
    };
    const auto text = [](const QString &value) -> std::optional<QString> {
        return value;
    };
    const auto interval = [](const QString &value) {
        return plainWholeNumber(value, 0, MqttLongestIntervalSeconds);
    };
    config.topic = defaultTopic(hostName);
    std::optional<quint16> port;
    section.read({
        settingKey(HostKey, config.host, host,
                   QStringLiteral("expected the broker's host name or IP address, such as "
                                  "broker.local, 192.168.1.10 or [fd00::10].")),
        settingKey(PortKey, port, parsePortNumber,
                   QStringLiteral("the port must be a whole number from 1 to 65535.")),
        settingKey(CaFileKey, config.caFile, absolutePath, QString()),
        settingKey(UsernameKey, config.username, text, QString()),
        settingKey(PasswordFileKey, config.passwordFile, absolutePath, QString()),
        settingKey(TopicKey, config.topic, topic, TopicExpected),
        settingKey(IntervalKey, config.intervalSeconds, interval,
                   QStringLiteral("expected a whole number of seconds from 0 (every reading) to "
                                  "%1.")
                       .arg(MqttLongestIntervalSeconds)),
        settingKey(DiscoveryKey, config.discovery, plainSwitch,
                   QStringLiteral("expected True or False.")),
        settingKey(DiscoveryPrefixKey, config.discoveryPrefix, topic, TopicExpected),
        settingKey(SendExampleModeKey, config.sendExampleMode, plainSwitch,
                   QStringLiteral("expected True or False.")),
    });
    config.port = port.value_or(config.caFile.isEmpty() ? MqttDefaultPort : MqttDefaultTlsPort);

    if (!section.isEmpty() && !section.holds(HostKey))
        section.refuseSection(QStringLiteral("%1 is not set, so the wind would be published "
                                             "nowhere. Set it to the broker's address, or remove "
                                             "the section.")
                                  .arg(HostKey),
                              0);
    if (section.holds(PasswordFileKey) && config.username.isEmpty())
        section.refuse(PasswordFileKey,
                       QStringLiteral("it is set without %1, and a broker takes a password only "
                                      "with a user name.")
                           .arg(UsernameKey));
    // The files are read only for a section that is otherwise usable, and
    // named by the paths that were tried.
    if (config.isOn() && !section.isOff(0)) {
        if (!config.caFile.isEmpty()) {
            if (const auto problem = checkCaFile(config.caFile))
                section.refuse(CaFileKey, *problem, config.caFile);
        }
        if (!config.passwordFile.isEmpty()) {
            if (const auto problem = readPassword(config.passwordFile, config.password))
                section.refuse(PasswordFileKey, *problem, config.passwordFile);
        }
    }
    return section.finish(config);
}
