// SPDX-License-Identifier: MIT
#include "core/mqttmessages.h"

#include "core/apperror.h"
#include "core/beaufort.h"
#include "core/utctime.h"
#include "core/windspeed.h"
#include "core/windstatisticstext.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The number a readout shows: the readouts round through the same function.
double oneDecimalAsShown(double value)
{
    return roundedToTenths(value) + 0.0;
}

double twoDecimals(double value)
{
    return QString::number(checkedFloat(value), 'f', 2).toDouble() + 0.0;
}

struct Sensor
{
    const char *objectId;
    const char *name;
    const char *field; // in the state message
    const char *deviceClass; // none for Beaufort: the display's own scale of tenths
    const char *stateClass; // none for text
    const char *unit;
    int precision; // negative for text
};

// Speeds in m/s: Home Assistant converts wind_speed sensors to the unit each
// user prefers. Directions must use measurement_angle, which makes its
// long-term statistics average angles as angles (350 and 10 give 0, not 180).
const Sensor Sensors[] = {
    {"speed", "Wind speed", "speed_ms", "wind_speed", "measurement", "m/s", 1},
    {"direction", "Wind direction", "direction_deg", "wind_direction", "measurement_angle", "°", 0},
    {"mean10_speed", "Mean wind speed (10 min)", "mean10_speed_ms", "wind_speed", "measurement",
     "m/s", 1},
    {"mean10_direction", "Mean wind direction (10 min)", "mean10_direction_deg", "wind_direction",
     "measurement_angle", "°", 0},
    {"gust10", "Gust (10 min)", "gust10_ms", "wind_speed", "measurement", "m/s", 1},
    {"beaufort", "Beaufort", "beaufort", nullptr, "measurement", nullptr, 1},
    // Appended, so that the entities above keep their ids.
    {"metar10", "METAR wind (10 min)", "metar_wind_10min", nullptr, nullptr, nullptr, -1},
};

QByteArray compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

QByteArray mqttStateTopic(const QString &topicPrefix)
{
    return (topicPrefix + QStringLiteral("/state")).toUtf8();
}

QByteArray mqttAvailabilityTopic(const QString &topicPrefix)
{
    return (topicPrefix + QStringLiteral("/availability")).toUtf8();
}

QByteArray mqttStateMessage(const MqttState &state)
{
    QByteArray time;
    appendUtcTimestamp(time, state.utcMs);
    QJsonObject object{
        {QStringLiteral("time_utc"), QString::fromLatin1(time)},
        {QStringLiteral("source"),
         state.source == WindSource::ExampleMode ? QStringLiteral("example")
                                                 : QStringLiteral("sensor")},
    };
    const auto set = [&object](const char *field, std::optional<double> value) {
        object.insert(QLatin1String(field), value ? QJsonValue(*value) : QJsonValue());
    };

    std::optional<double> direction, speed, kmh, knots, beaufort;
    if (const auto &reading = state.reading) {
        // -0 is published as 0.
        direction = checkedFloat(reading->wholeDegrees) + 0.0;
        speed = twoDecimals(reading->speedMetresPerSecond);
        kmh = checkedFloat(reading->kmh) + 0.0;
        knots = checkedFloat(reading->knots) + 0.0;
        beaufort = checkedFloat(reading->beaufort);
    }
    set("direction_deg", direction);
    set("speed_ms", speed);
    set("speed_kmh", kmh);
    set("speed_kn", knots);
    set("beaufort", beaufort);

    const WindPeriodStatistics &ten = state.tenMinutes.statistics;
    const bool covered = ten.isCovered() && ten.sampleCount > 0;
    std::optional<double> meanSpeed, meanDirection, gust;
    if (covered) {
        meanSpeed = oneDecimalAsShown(ten.meanSpeed);
        if (ten.meanDirection)
            meanDirection = wholeCompassDegrees(*ten.meanDirection);
        if (ten.gust)
            gust = oneDecimalAsShown(*ten.gust);
    }
    set("mean10_speed_ms", meanSpeed);
    set("mean10_direction_deg", meanDirection);
    set("gust10_ms", gust);
    set("coverage10_percent", double(coveragePercent(ten)));
    const QString &metar = state.tenMinutes.metarWind;
    object.insert(QStringLiteral("metar_wind_10min"),
                  covered && !metar.isEmpty() ? QJsonValue(metar) : QJsonValue());
    return compact(object);
}

QString mqttNodeId(const QString &topicPrefix)
{
    QString id = topicPrefix;
    bool beyondAscii = false;
    for (QChar &c : id) {
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')
            || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-';
        beyondAscii = beyondAscii || c.unicode() > 0x7f;
        if (!plain)
            c = u'_';
    }
    // Home Assistant keys its entities on these ids, so those of plain ASCII
    // prefixes stay as they always were. Beyond ASCII the underscores alone
    // would make 風/甲板 and 風/船首 one station, each overwriting the
    // other's retained configs: a digest of the whole prefix tells them
    // apart.
    if (beyondAscii)
        id += u'_'
            + QString::fromLatin1(
                  QCryptographicHash::hash(topicPrefix.toUtf8(), QCryptographicHash::Sha256)
                      .toHex()
                      .left(12));
    return id;
}

QList<MqttDiscoveryConfig> mqttDiscoveryConfigs(const QString &topicPrefix,
                                                const QString &discoveryPrefix,
                                                const QString &softwareVersion)
{
    const QString nodeId = mqttNodeId(topicPrefix);
    const QString stateTopic = QString::fromUtf8(mqttStateTopic(topicPrefix));
    const QString availabilityTopic = QString::fromUtf8(mqttAvailabilityTopic(topicPrefix));
    const QString application = QStringLiteral("Wind Condition");
    const QJsonObject device{
        {QStringLiteral("identifiers"), QJsonArray{nodeId}},
        {QStringLiteral("name"),
         application + u' ' + topicPrefix.section(u'/', -1, -1, QString::SectionSkipEmpty)},
        {QStringLiteral("model"), application},
        {QStringLiteral("sw_version"), softwareVersion},
    };
    const QJsonObject origin{
        {QStringLiteral("name"), application},
        {QStringLiteral("sw_version"), softwareVersion},
    };

    QList<MqttDiscoveryConfig> configs;
    for (const Sensor &sensor : Sensors) {
        const QString objectId = QLatin1String(sensor.objectId);
        QJsonObject config{
            {QStringLiteral("name"), QLatin1String(sensor.name)},
            {QStringLiteral("unique_id"), nodeId + u'_' + objectId},
            {QStringLiteral("state_topic"), stateTopic},
            // A null field renders None, which Home Assistant shows as
            // unknown: stale readings, a calm mean direction, a METAR wind
            // group of a period covered too little.
            {QStringLiteral("value_template"),
             QStringLiteral("{{ value_json.%1 }}").arg(QLatin1String(sensor.field))},
            {QStringLiteral("availability_topic"), availabilityTopic},
            {QStringLiteral("payload_available"), QLatin1String(MqttOnline)},
            {QStringLiteral("payload_not_available"), QLatin1String(MqttOffline)},
            {QStringLiteral("device"), device},
            {QStringLiteral("origin"), origin},
        };
        if (sensor.stateClass)
            config.insert(QStringLiteral("state_class"), QLatin1String(sensor.stateClass));
        if (sensor.precision >= 0)
            config.insert(QStringLiteral("suggested_display_precision"), sensor.precision);
        if (sensor.deviceClass)
            config.insert(QStringLiteral("device_class"), QLatin1String(sensor.deviceClass));
        if (sensor.unit)
            config.insert(QStringLiteral("unit_of_measurement"), QString::fromUtf8(sensor.unit));
        configs.append({(QStringList{discoveryPrefix, QStringLiteral("sensor"), nodeId, objectId,
                                     QStringLiteral("config")})
                            .join(u'/')
                            .toUtf8(),
                        compact(config)});
    }
    return configs;
}
