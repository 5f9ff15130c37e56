// SPDX-License-Identifier: MIT
#include "core/mqttsettings.h"

#include "core/apperror.h"
#include "core/ipliteral.h"
#include "core/sectionkeys.h"
#include "core/settingstext.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QStringList>

#include <algorithm>
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

[[noreturn]] void raise(const QString &description)
{
    raiseSectionError(QLatin1String(MqttSectionName), description);
}

[[noreturn]] void raiseBadValue(const QString &key, const QString &value, const QString &expected)
{
    raiseBadSectionValue(QLatin1String(MqttSectionName), key, value, expected);
}

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

QString readHost(const QString &text)
{
    QStringView host = text;
    if (host.startsWith(u'[') && host.endsWith(u']')) {
        host = host.mid(1, host.size() - 2);
        if (isIpv6Literal(host))
            return host.toString();
    } else if (isIpv4Literal(host) || isIpv6Literal(host) || isHostName(host)) {
        return host.toString();
    }
    raiseBadValue(HostKey, text,
                  QStringLiteral("expected the broker's host name or IP address, such as "
                                 "broker.local, 192.168.1.10 or [fd00::10]."));
}

// A topic that a broker accepts for publishing and that ends in a level of
// its own: no wildcards, no empty level at either end.
void checkTopic(const QString &key, const QString &text)
{
    if (text.contains(u'+') || text.contains(u'#') || text.contains(QChar(0))
        || text.startsWith(u'/') || text.endsWith(u'/') || text.startsWith(u'$'))
        raiseBadValue(key, text,
                      QStringLiteral("expected a topic such as wind-condition/deck: no + or #, "
                                     "no / at either end, no $ at the start."));
}

bool readSwitch(const QString &key, const QString &text)
{
    if (const std::optional<bool> on = plainSwitch(text))
        return *on;
    raiseBadValue(key, text, QStringLiteral("expected True or False."));
}

QString absolutePath(const QString &path, const QString &folder)
{
    return QDir::cleanPath(QDir(folder).absoluteFilePath(path));
}

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

} // namespace

QStringList mqttSectionKeys()
{
    return {HostKey,  PortKey,     CaFileKey,    UsernameKey,        PasswordFileKey,
            TopicKey, IntervalKey, DiscoveryKey, DiscoveryPrefixKey, SendExampleModeKey};
}

MqttConfig readMqttConfig(const QList<std::pair<QString, QString>> &entries,
                          const QString &hostName, const QString &settingsFolder)
{
    const QStringList keys = mqttSectionKeys();
    QHash<QString, QString> values;
    // Unknown keys and empty values are refused before, with the file's
    // name (checkSectionKeys); the first entry of a key counts, as
    // everywhere in the file.
    for (const auto &[key, value] : entries) {
        const auto known = std::find_if(keys.cbegin(), keys.cend(), [&key = key](const QString &k) {
            return k.compare(key, Qt::CaseInsensitive) == 0;
        });
        if (known != keys.cend() && !values.contains(*known))
            values.insert(*known, value.trimmed());
    }

    MqttConfig config;
    if (values.isEmpty())
        return config;
    if (!values.contains(HostKey))
        raise(QStringLiteral("%1 is not set, so the wind would be published nowhere. Set it to "
                             "the broker's address, or remove the section.")
                  .arg(HostKey));
    config.host = readHost(values.value(HostKey));

    if (values.contains(CaFileKey))
        config.caFile = absolutePath(values.value(CaFileKey), settingsFolder);
    config.port = config.caFile.isEmpty() ? MqttDefaultPort : MqttDefaultTlsPort;
    if (const QString text = values.value(PortKey); !text.isEmpty()) {
        const std::optional<quint16> port = parsePortNumber(text);
        if (!port)
            raiseBadValue(PortKey, text,
                          QStringLiteral("the port must be a whole number from 1 to 65535."));
        config.port = *port;
    }

    config.username = values.value(UsernameKey);
    if (values.contains(PasswordFileKey)) {
        if (config.username.isEmpty())
            raise(QStringLiteral("%1 is set without %2: a broker takes a password only with a "
                                 "user name.")
                      .arg(PasswordFileKey, UsernameKey));
        config.passwordFile = absolutePath(values.value(PasswordFileKey), settingsFolder);
    }

    config.topic = values.value(TopicKey, defaultTopic(hostName));
    checkTopic(TopicKey, config.topic);
    if (const QString text = values.value(IntervalKey); !text.isEmpty()) {
        const std::optional<int> seconds = plainWholeNumber(text, 0, MqttLongestIntervalSeconds);
        if (!seconds)
            raiseBadValue(IntervalKey, text,
                          QStringLiteral("expected a whole number of seconds from 0 (every "
                                         "reading) to %1.")
                              .arg(MqttLongestIntervalSeconds));
        config.intervalSeconds = *seconds;
    }
    if (values.contains(DiscoveryKey))
        config.discovery = readSwitch(DiscoveryKey, values.value(DiscoveryKey));
    config.discoveryPrefix = values.value(DiscoveryPrefixKey, config.discoveryPrefix);
    checkTopic(DiscoveryPrefixKey, config.discoveryPrefix);
    if (values.contains(SendExampleModeKey))
        config.sendExampleMode = readSwitch(SendExampleModeKey, values.value(SendExampleModeKey));
    return config;
}

void readMqttFiles(MqttConfig &config)
{
    if (!config.caFile.isEmpty()) {
        QFile ca(config.caFile);
        if (!ca.open(QIODevice::ReadOnly))
            raiseBadValue(CaFileKey, config.caFile,
                          QStringLiteral("the file cannot be read (%1).").arg(ca.errorString()));
    }
    if (config.passwordFile.isEmpty())
        return;
    QFile file(config.passwordFile);
    if (!file.open(QIODevice::ReadOnly))
        raiseBadValue(PasswordFileKey, config.passwordFile,
                      QStringLiteral("the file cannot be read (%1).").arg(file.errorString()));
    // Group members are others too: a password file is for its owner alone,
    // as ssh asks of a private key.
    if (file.permissions() & (QFile::ReadGroup | QFile::ReadOther))
        raiseBadValue(PasswordFileKey, config.passwordFile,
                      QStringLiteral("the file can be read by others. Make it readable by its "
                                     "owner alone (chmod 600), then start again."));
    QByteArray password = file.readLine(4096);
    while (password.endsWith('\n') || password.endsWith('\r'))
        password.chop(1);
    if (password.isEmpty())
        raiseBadValue(PasswordFileKey, config.passwordFile,
                      QStringLiteral("the first line of the file is empty."));
    config.password = password;
}
