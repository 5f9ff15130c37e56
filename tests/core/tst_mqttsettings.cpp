// SPDX-License-Identifier: MIT
#include "core/mqttsettings.h"
#include "sectionfile.h"

#include <QFile>
#include <QTest>

namespace {

// The section with these "Key=value" lines, for the host "deck".
SectionSettings<MqttConfig> readSection(SectionFile &file, const QString &lines)
{
    QFile written(file.path());
    if (!written.open(QIODevice::WriteOnly))
        return {};
    written.write("[MQTT]\n" + lines.toUtf8() + '\n');
    written.close();
    return readMqttSection(file.settings(), QStringLiteral("deck"));
}

QString summary(const MqttConfig &config)
{
    if (!config.isOn())
        return QStringLiteral("off");
    return QStringLiteral("%1:%2 tls=%3 user=%4 password=%5 topic=%6 interval=%7 discovery=%8 "
                          "prefix=%9 example=%10")
        .arg(config.host)
        .arg(config.port)
        .arg(config.caFile)
        .arg(config.username, config.passwordFile, config.topic)
        .arg(config.intervalSeconds)
        .arg(config.discovery)
        .arg(config.discoveryPrefix)
        .arg(config.sendExampleMode);
}

} // namespace

class tst_MqttSettings : public QObject
{
    Q_OBJECT

private slots:
    void reads_data();
    void reads();
    void refuses_data();
    void refuses();
    void files_data();
    void files();
};

void tst_MqttSettings::reads_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("expected");

    const QString defaults = QStringLiteral(" user= password= topic=wind-condition/deck interval=1 "
                                            "discovery=1 prefix=homeassistant example=0");
    QTest::newRow("no entries") << ""
                                << "off";
    QTest::newRow("Host alone") << "Host=broker.local"
                                << "broker.local:1883 tls=" + defaults;
    QTest::newRow("CaFile turns TLS on, port 8883, taken from the settings folder")
        << "Host=10.0.0.2\nCaFile=ca.pem"
        << "10.0.0.2:8883 tls=<folder>/ca.pem" + defaults;
    QTest::newRow("an IPv6 address in brackets, another port") << "Host=[fd00::10]\nPort=1884"
                                                               << "fd00::10:1884 tls=" + defaults;
    QTest::newRow("every key, in any letter case")
        << "host=b\nPORT=2000\nUsername=wind\nPasswordFile=pw\nTopic=site/mast 2\n"
           "Interval=0\nDiscovery=false\nDiscoveryPrefix=ha\nSendExampleMode=TRUE"
        << "b:2000 tls= user=wind password=<folder>/pw topic=site/mast 2 interval=0 "
           "discovery=0 prefix=ha example=1";
}

void tst_MqttSettings::reads()
{
    QFETCH(QString, section);
    QFETCH(QString, expected);
    SectionFile file({});
    // The files the section names are read as well.
    for (const char *name : {"ca.pem", "pw"}) {
        QFile named(file.folder() + u'/' + QLatin1String(name));
        QVERIFY(named.open(QIODevice::WriteOnly) && named.write("secret\n") > 0);
        named.close();
        QVERIFY(named.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    }
    const SectionSettings<MqttConfig> read = readSection(file, section);
    QVERIFY2(read.problems.isEmpty(), qPrintable(read.problems.join(u'\n')));
    QCOMPARE(summary(read.config), QString(expected).replace("<folder>", file.folder()));
}

void tst_MqttSettings::refuses_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("named"); // what the message must quote

    const char *const rows[][3] = {
        {"keys without Host", "Topic=a/b", "Host is not set"},
        {"Host with a blank", "Host=my broker", "Host=my broker"},
        {"port 0", "Host=b\nPort=0", "Port=0"},
        {"topic with a wildcard", "Host=b\nTopic=wind/#", "Topic=wind/#"},
        {"topic ending in /", "Host=b\nTopic=wind/", "Topic=wind/"},
        {"topic of the broker's own", "Host=b\nTopic=$SYS/x", "Topic=$SYS/x"},
        {"interval over an hour", "Host=b\nInterval=3601", "Interval=3601"},
        {"interval with a point", "Host=b\nInterval=1.5", "Interval=1.5"},
        {"switch not True or False", "Host=b\nDiscovery=yes", "Discovery=yes"},
        {"password without user", "Host=b\nPasswordFile=pw", "\"PasswordFile=pw\""},
        {"a mistyped key", "Host=b\nTopik=a/b", "\"Topik\" (set to \"a/b\")"},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QString::fromUtf8(row[1]) << QString::fromUtf8(row[2]);
}

void tst_MqttSettings::refuses()
{
    QFETCH(QString, section);
    QFETCH(QString, named);
    SectionFile file({});
    const SectionSettings<MqttConfig> read = readSection(file, section);
    QVERIFY2(file.told(read.problems, {named}), qPrintable(read.problems.join(u'\n')));
    QVERIFY(read.problems.first().endsWith("The wind is not published to the MQTT broker until "
                                           "this is mended. The display works as usual."));
    QVERIFY(!read.config.isOn());
}

void tst_MqttSettings::files_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file
    QTest::addColumn<int>("permissions");
    QTest::addColumn<QString>("refusal"); // empty: accepted

    const int ownerOnly = int(QFile::ReadOwner | QFile::WriteOwner);
    QTest::newRow("owner alone, first line")
        << QByteArray("s3cret\r\nignored\n") << ownerOnly << "";
    QTest::newRow("readable by others")
        << QByteArray("s3cret\n") << int(ownerOnly | QFile::ReadOther) << "read by others";
    QTest::newRow("readable by the group")
        << QByteArray("s3cret\n") << int(ownerOnly | QFile::ReadGroup) << "read by others";
    QTest::newRow("empty first line") << QByteArray("\nx\n") << ownerOnly << "is empty";
    QTest::newRow("missing") << QByteArray() << ownerOnly << "cannot be read";
}

void tst_MqttSettings::files()
{
    QFETCH(QByteArray, content);
    QFETCH(int, permissions);
    QFETCH(QString, refusal);
    SectionFile settings({});
    QFile file(settings.folder() + QStringLiteral("/password"));
    if (!content.isNull()) {
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        QVERIFY(file.setPermissions(QFile::Permissions(permissions)));
    }
    const SectionSettings<MqttConfig> read
        = readSection(settings, QStringLiteral("Host=b\nUsername=u\nPasswordFile=password"));
    if (refusal.isEmpty()) {
        QVERIFY2(read.problems.isEmpty(), qPrintable(read.problems.join(u'\n')));
        QCOMPARE(read.config.password, QByteArray("s3cret"));
    } else {
        // Named by the path that was tried.
        QVERIFY2(settings.told(read.problems, {"\"PasswordFile=" + file.fileName()})
                     && read.problems.first().contains(refusal),
                 qPrintable(read.problems.join(u'\n')));
        QVERIFY(!read.config.isOn());
    }

    // A CA file that cannot be read is refused before any connection.
    QVERIFY(!readSection(settings, QStringLiteral("Host=b\nCaFile=absent.pem")).config.isOn());
}

QTEST_GUILESS_MAIN(tst_MqttSettings)
#include "tst_mqttsettings.moc"
