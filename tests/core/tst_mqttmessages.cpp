// SPDX-License-Identifier: MIT
#include "core/mqttmessages.h"
#include "core/windfigures.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <QTest>

Q_DECLARE_METATYPE(std::optional<MqttState::Reading>)

namespace {

// A 10-minute period: covered (percent of 10 minutes), its mean speed and
// mean direction (negative: none), and whether it is calm.
WindPeriodStatistics period(int percent, double meanSpeed, double meanDirection, bool calm)
{
    WindPeriodStatistics p;
    p.endMs = 600000;
    p.coveredMs = p.endMs * percent / 100;
    p.sampleCount = percent > 0 ? 100 : 0;
    p.meanSpeed = meanSpeed;
    p.calm = calm;
    if (meanDirection >= 0)
        p.meanDirection = meanDirection;
    if (percent > 0)
        p.gust = meanSpeed + 2.04;
    return p;
}

} // namespace

class tst_MqttMessages : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void stateMessage_data();
    void stateMessage();
    void discoveryConfigs();
    void nodeIds_data();
    void nodeIds();
};

void tst_MqttMessages::stateMessage_data()
{
    QTest::addColumn<std::optional<MqttState::Reading>>("reading");
    QTest::addColumn<WindPeriodStatistics>("tenMinutes");
    QTest::addColumn<QString>("metar"); // the period's group, and as published ("": null)
    QTest::addColumn<QString>("published");
    QTest::addColumn<QString>("expected"); // the other numbers and nulls, in key order

    // What the display shows for a direction and a speed.
    const auto reading = [](double direction, double speed) {
        const WindFigures shown = windFigures(direction, speed);
        return std::optional<MqttState::Reading>(MqttState::Reading{
            *shown.shownDegrees, speed, *shown.kmh, *shown.knots, *shown.beaufort});
    };
    // 5.6 m/s: 20.16 km/h shows 20.2, which gives Beaufort 4.2; 10.885 kn.
    QTest::newRow("a reading as the display shows it, a covered period")
        << reading(123.4, 5.6) << period(87, 5.149, 359.6, false) << "36010KT 330V030"
        << "36010KT 330V030"
        << "beaufort=4.2 coverage10_percent=87 direction_deg=123 gust10_ms=7.2 "
           "mean10_direction_deg=0 mean10_speed_ms=5.1 speed_kmh=20.2 speed_kn=10.9 "
           "speed_ms=5.6";
    QTest::newRow("stale readings are null")
        << std::optional<MqttState::Reading>() << period(70, 3, 90, false) << "09006KT"
        << "09006KT"
        << "beaufort=null coverage10_percent=70 direction_deg=null gust10_ms=5 "
           "mean10_direction_deg=90 mean10_speed_ms=3 speed_kmh=null speed_kn=null "
           "speed_ms=null";
    QTest::newRow("a period covered too little has no figures")
        << reading(0.4, 0) << period(65, 3, 90, false) << "09006KT"
        << ""
        << "beaufort=0.1 coverage10_percent=65 direction_deg=0 gust10_ms=null "
           "mean10_direction_deg=null mean10_speed_ms=null speed_kmh=0 speed_kn=0 speed_ms=0";
    // The display turns 359.6 into -0.4 and shows "-0"; published as 0.
    QTest::newRow("a calm period has no mean direction")
        << reading(-0.4, 0.123) << period(100, 0.3, -1, true) << "00000KT"
        << "00000KT"
        << "beaufort=0.5 coverage10_percent=100 direction_deg=0 gust10_ms=2.3 "
           "mean10_direction_deg=null mean10_speed_ms=0.3 speed_kmh=0.4 speed_kn=0.2 "
           "speed_ms=0.12";
}

// Every number is a JSON number (a decimal comma would not parse), whatever
// the locale.
void tst_MqttMessages::stateMessage()
{
    QFETCH(std::optional<MqttState::Reading>, reading);
    QFETCH(WindPeriodStatistics, tenMinutes);
    QFETCH(QString, metar);
    QFETCH(QString, published);
    QFETCH(QString, expected);
    MqttState state;
    state.utcMs = 1796638800250; // 2026-12-07T10:20:00.250Z
    state.reading = reading;
    state.source = WindSource::ExampleMode;
    state.tenMinutes = {tenMinutes, metar};
    QJsonParseError error;
    QJsonObject object = QJsonDocument::fromJson(mqttStateMessage(state), &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(object.value(QLatin1String("time_utc")).toString(), "2026-12-07T10:20:00.250Z");
    QCOMPARE(object.value(QLatin1String("source")).toString(), "example");
    QCOMPARE(object.take(QLatin1String("metar_wind_10min")),
             published.isEmpty() ? QJsonValue() : QJsonValue(published));
    QStringList fields;
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.value().isNull())
            fields << it.key() + QStringLiteral("=null");
        else if (it.value().isDouble())
            fields << it.key() + u'=' + QString::number(it.value().toDouble());
    }
    QCOMPARE(fields.join(u' '), expected);
}

void tst_MqttMessages::discoveryConfigs()
{
    // Characters a discovery topic does not allow become '_'.
    const QString prefix = QStringLiteral("ha/sensor/site_mast_2_b/");
    // sensor, field, device class, state class, unit, display precision
    QStringList described;
    for (const MqttDiscoveryConfig &config : mqttDiscoveryConfigs("site/mast 2.b", "ha", "1.0")) {
        const QString topic = QString::fromUtf8(config.topic);
        QVERIFY2(topic.startsWith(prefix) && topic.endsWith("/config"), qPrintable(topic));
        const QString sensor = topic.mid(prefix.size()).chopped(7);
        const QJsonObject o = QJsonDocument::fromJson(config.payload).object();
        QCOMPARE(o["unique_id"].toString(), "site_mast_2_b_" + sensor);
        QCOMPARE(o["state_topic"].toString(), "site/mast 2.b/state");
        QCOMPARE(o["availability_topic"].toString(), "site/mast 2.b/availability");
        QCOMPARE(o["device"]["identifiers"][0].toString(), "site_mast_2_b");
        QVERIFY(o["value_template"].toString().startsWith("{{ value_json."));
        described << QStringList{sensor,
                                 o["value_template"].toString().mid(14).chopped(3),
                                 o["device_class"].toString(),
                                 o["state_class"].toString(),
                                 o["unit_of_measurement"].toString(),
                                 o["suggested_display_precision"].toVariant().toString()}
                         .join(u' ');
    }
    QCOMPARE(described,
             (QStringList{
                 "speed speed_ms wind_speed measurement m/s 1",
                 "direction direction_deg wind_direction measurement_angle ° 0",
                 "mean10_speed mean10_speed_ms wind_speed measurement m/s 1",
                 "mean10_direction mean10_direction_deg wind_direction "
                 "measurement_angle ° 0",
                 "gust10 gust10_ms wind_speed measurement m/s 1",
                 // The display's own scale of tenths: no device class.
                 "beaufort beaufort  measurement  1",
                 // Text: any of these would make Home Assistant want a number.
                 "metar10 metar_wind_10min    ",
             }));
}

void tst_MqttMessages::nodeIds_data()
{
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QString>("id"); // a pattern

    // Home Assistant keys its entities on these: they never change.
    QTest::newRow("ASCII as always") << "wind-condition/deck"
                                     << "wind-condition_deck";
    QTest::newRow("beyond ASCII: a digest of the topic")
        << QStringLiteral("wind/S\u00fcd") << "wind_S_d_[0-9a-f]{12}";
    QTest::newRow("another station beyond ASCII")
        << QStringLiteral("\u98a8/\u7532\u677f") << "_____[0-9a-f]{12}";
}

// Different topics give different ids, so that two stations never
// overwrite each other's retained discovery configs.
void tst_MqttMessages::nodeIds()
{
    QFETCH(QString, topic);
    QFETCH(QString, id);
    const QString nodeId = mqttNodeId(topic);
    QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(id)).match(nodeId).hasMatch(),
             qPrintable(nodeId));
    // The other station of the same site, whose topic differs beyond ASCII.
    if (topic.startsWith(QChar(0x98a8)))
        QVERIFY(mqttNodeId(QStringLiteral("\u98a8/\u8239\u9996")) != nodeId);
}

QTEST_GUILESS_MAIN(tst_MqttMessages)
#include "tst_mqttmessages.moc"
