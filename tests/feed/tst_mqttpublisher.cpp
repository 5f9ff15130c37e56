// SPDX-License-Identifier: MIT
// When state messages go out: the interval, stale readings and example mode.

#include "feed/mqttpublisher.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {
// s<n> or e<n> as the feed hands it on.
WindFeedReading reading(const QString &event)
{
    WindFeedReading reading;
    reading.sample = {0, 90, event.mid(1).toDouble()};
    reading.figures = windFigures(90, reading.sample.speedMetresPerSecond);
    reading.source = event.startsWith(u'e') ? WindSource::ExampleMode : WindSource::Sensor;
    return reading;
}
} // namespace

class tst_MqttPublisher : public QObject
{
    Q_OBJECT

private slots:
    void publishes_data();
    void publishes();
};

void tst_MqttPublisher::publishes_data()
{
    QTest::addColumn<int>("interval");
    QTest::addColumn<bool>("sendExampleMode");
    // s<n>: a sensor reading of n m/s, e<n>: one of example mode, stale: the
    // readings went stale, wait: 1.2 s pass.
    QTest::addColumn<QString>("events");
    QTest::addColumn<QString>("published"); // speed_ms of each message

    QTest::newRow("interval 0: every reading") << 0 << false << "s1 s2 s3"
                                               << "1 2 3";
    QTest::newRow("interval 1: the first at once, the newest once it is over")
        << 1 << false << "s1 s2 s3 wait wait s4"
        << "1 3 4";
    QTest::newRow("stale: null once, until readings return")
        << 0 << false << "s1 stale stale s2 stale"
        << "1 null 2 null";
    QTest::newRow("stale waits for the interval as well") << 1 << false << "s1 stale wait"
                                                          << "1 null";
    QTest::newRow("example mode, not asked for") << 0 << false << "e1 e2"
                                                 << "";
    QTest::newRow("example mode, asked for") << 0 << true << "e1 s2"
                                             << "1 2";
}

void tst_MqttPublisher::publishes()
{
    QFETCH(int, interval);
    QFETCH(bool, sendExampleMode);
    QFETCH(QString, events);
    QFETCH(QString, published);
    QStringList speeds;
    int asked = 0; // for the 10 minutes
    MqttPublisher publisher(
        interval, sendExampleMode,
        [&speeds](const QByteArray &message) {
            const QJsonValue speed = QJsonDocument::fromJson(message)["speed_ms"];
            speeds << (speed.isNull() ? QStringLiteral("null") : QString::number(speed.toDouble()));
        },
        [&asked] {
            ++asked;
            return MqttTenMinutes();
        },
        [] { return qint64(0); });
    for (const QString &event : events.split(u' ')) {
        if (event == QLatin1String("stale"))
            publisher.readingsStale();
        else if (event == QLatin1String("wait"))
            QTest::qWait(1200);
        else
            publisher.sampleAccepted(reading(event));
    }
    QCOMPARE(speeds.join(u' '), published);
    // They walk the period's samples: once a message, not once a reading.
    QCOMPARE(asked, speeds.size());
}

QTEST_GUILESS_MAIN(tst_MqttPublisher)
#include "tst_mqttpublisher.moc"
