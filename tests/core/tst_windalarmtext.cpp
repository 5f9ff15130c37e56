// SPDX-License-Identifier: MIT
#include "core/windalarmtext.h"
#include "core/windspeed.h"

#include <QLocale>
#include <QTest>

Q_DECLARE_METATYPE(WindAlarmKind)
Q_DECLARE_METATYPE(SpeedUnit)

class tst_WindAlarmText : public QObject
{
    Q_OBJECT

private slots:
    void titleAndValue_data();
    void titleAndValue();
    void description_data();
    void description();
};

void tst_WindAlarmText::titleAndValue_data()
{
    QTest::addColumn<WindAlarmKind>("kind");
    QTest::addColumn<double>("threshold"); // m/s, degrees or seconds
    QTest::addColumn<double>("value");
    QTest::addColumn<SpeedUnit>("unit");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("valueText");

    const double knot = 1 / KnotsPerKmh / KmhPerMetrePerSecond;
    QTest::newRow("a threshold in knots reads as written")
        << WindAlarmKind::Gust << 35 * knot << 36.14 * knot << SpeedUnit::Knots << "en_US"
        << "Gust above 35 kn"
        << "36.1 kn";
    QTest::newRow("km/h with a decimal comma, no group separator")
        << WindAlarmKind::MeanSpeed << 1234.5 / KmhPerMetrePerSecond << 10.0
        << SpeedUnit::KilometresPerHour << "de_DE"
        << "Mean speed above 1234,5 km/h"
        << "36 km/h";
    QTest::newRow("a shift in whole degrees")
        << WindAlarmKind::Shift << 30.0 << 41.6 << SpeedUnit::Knots << "en_US"
        << "Wind shift over 30°"
        << "42°";
    QTest::newRow("silence in whole seconds, whatever the unit")
        << WindAlarmKind::NoReading << 20.0 << 25.4 << SpeedUnit::MetresPerSecond << "en_US"
        << "No reading for 20 s"
        << "25 s";
}

void tst_WindAlarmText::titleAndValue()
{
    QFETCH(WindAlarmKind, kind);
    QFETCH(double, threshold);
    QFETCH(double, value);
    QFETCH(SpeedUnit, unit);
    QFETCH(QString, locale);

    QTEST(windAlarmTitle(kind, threshold, unit, QLocale(locale)), "title");
    QTEST(windAlarmValueText(kind, value, unit, QLocale(locale)), "valueText");
}

void tst_WindAlarmText::description_data()
{
    QTest::addColumn<std::vector<RaisedWindAlarm>>("raised");
    QTest::addColumn<QString>("expected");

    QTest::newRow("none raised says nothing") << std::vector<RaisedWindAlarm>() << QString();
    QTest::newRow("one, not yet acknowledged")
        << std::vector<RaisedWindAlarm>{{WindAlarmKind::Gust, 0, 20, 18, false}}
        << "Wind alarm: Gust above 18 m/s: 20 m/s, not acknowledged.";
    QTest::newRow("two, each with its state")
        << std::vector<RaisedWindAlarm>{{WindAlarmKind::MeanSpeed, 0, 12.34, 12, true},
                                        {WindAlarmKind::NoReading, 0, 31, 30, false}}
        << "Wind alarms: Mean speed above 12 m/s: 12.3 m/s, acknowledged; No reading for 30 s: "
           "31 s, not acknowledged.";
}

void tst_WindAlarmText::description()
{
    QFETCH(std::vector<RaisedWindAlarm>, raised);
    QTEST(windAlarmsDescription(raised, SpeedUnit::MetresPerSecond, QLocale(QLocale::English)),
          "expected");
}

QTEST_APPLESS_MAIN(tst_WindAlarmText)
#include "tst_windalarmtext.moc"
