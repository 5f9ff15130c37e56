// SPDX-License-Identifier: MIT
#include "core/nmeasentence.h"
#include "core/nmeawindreader.h"
#include "core/truewind.h"
#include "core/windchoice.h"

#include <QTest>

class tst_WindChoice : public QObject
{
    Q_OBJECT

private slots:
    void triangle_data();
    void triangle();
    void choice_data();
    void choice();
};

// Worked by hand from x = AWS·cos(AWA) − BS, y = AWS·sin(AWA), and the
// direction for a heading. 53.130102° is the angle of a 3-4-5 triangle.
void tst_WindChoice::triangle_data()
{
    QTest::addColumn<double>("apparentAngle");
    QTest::addColumn<double>("apparentSpeed");
    QTest::addColumn<double>("boatSpeed");
    QTest::addColumn<double>("trueSpeed");
    QTest::addColumn<double>("trueAngle");
    QTest::addColumn<double>("heading");
    QTest::addColumn<double>("direction");

    const double a = 53.13010235415598;
    // x = 10 − 4, y = 0
    QTest::newRow("head to wind") << 0.0 << 10.0 << 4.0 << 6.0 << 0.0 << 100.0 << 100.0;
    // x = 3 − 3, y = 4: square to the boat; the direction wraps past north.
    QTest::newRow("beam reach") << a << 5.0 << 3.0 << 4.0 << 90.0 << 300.0 << 30.0;
    // x = −4 − 5, y = 0
    QTest::newRow("running") << 180.0 << 4.0 << 5.0 << 9.0 << 180.0 << 180.0 << 0.0;
    // x = 3 − 3, y = −4: the direction wraps below north.
    QTest::newRow("port side") << 360 - a << 5.0 << 3.0 << 4.0 << -90.0 << 10.0 << 280.0;
    // x = 3 − 5, y = 0: a following wind slower than the boat is felt ahead.
    QTest::newRow("boat faster than the wind") << 0.0 << 3.0 << 5.0 << 2.0 << 180.0 << 0.0 << 180.0;
    QTest::newRow("boat at rest") << 45.0 << 10.0 << 0.0 << 10.0 << 45.0 << 0.0 << 45.0;
}

void tst_WindChoice::triangle()
{
    QFETCH(double, apparentAngle);
    QFETCH(double, apparentSpeed);
    QFETCH(double, boatSpeed);
    QFETCH(double, trueSpeed);
    QFETCH(double, trueAngle);
    QFETCH(double, heading);
    QFETCH(double, direction);

    const TrueWindOffBow wind = trueWindOffBow(apparentAngle, apparentSpeed, boatSpeed);
    QVERIFY(qAbs(wind.speedMetresPerSecond - trueSpeed) < 1e-9);
    QVERIFY(qAbs(wind.angleDegrees - trueAngle) < 1e-9);
    QVERIFY(qAbs(trueWindDirection(heading, wind.angleDegrees) - direction) < 1e-9);
}

// A script of sentences, each at its time in ms, read by the NMEA reader and
// handed to the choice as listening does: "1000 IIMWV,..." (checksum added),
// "1000 $..." (as written) or "1000 reset". The readings shown, and what
// missing() says after the last step.
void tst_WindChoice::choice_data()
{
    QTest::addColumn<NmeaWind>("wind");
    QTest::addColumn<BoatSpeedSource>("boatSpeed");
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("missing");

    const auto apparent = NmeaWind::Apparent;
    const auto trueWind = NmeaWind::True;
    const auto water = BoatSpeedSource::Water;
    // 5 m/s at 53.13° off the bow at 3 m/s through the water (10.8 km/h),
    // heading 100: 4 m/s of true wind square to the boat, from 190.
    const QString mwv = QStringLiteral(" IIMWV,053.130102,R,5.0,M,A");
    const QString vhw = QStringLiteral(" IIVHW,,T,,M,,N,10.8,K");
    const QString hdt = QStringLiteral(" HEHDT,100.0,T");
    const QString fromApparent = QStringLiteral("north 190.0@4.00 bow 90.0, true wind from "
                                                "apparent wind, speed through water and HDT");
    const QString noHeading = QStringLiteral("no heading: HDT, HDG or VHW missing");

    QTest::newRow("VWR only once MWV is 5 s gone")
        << apparent << water
        << QStringList{"0 IIMWV,045,R,10,M,A", "2 IIVWR,045,R,,N,10,M,,K",
                       "5000 IIVWR,040,R,,N,10,M,,K", "5001 IIVWR,030,L,,N,10,M,,K",
                       "5500 IIMWV,050,R,10,M,A"}
        << QStringList{"0: apparent 45.0@10.00, apparent wind from MWV",
                       "5001: apparent 330.0@10.00, apparent wind from VWR",
                       "5500: apparent 50.0@10.00, apparent wind from MWV"}
        << "";
    QTest::newRow("reset forgets the MWV, a rejection shows nothing")
        << apparent << water
        << QStringList{"0 IIMWV,045,R,10,M,A", "100 $IIMWV,045.0,R,12.5,N,A*0B", "200 reset",
                       "300 IIVWR,040,R,,N,10,M,,K"}
        << QStringList{"0: apparent 45.0@10.00, apparent wind from MWV",
                       "300: apparent 40.0@10.00, apparent wind from VWR"}
        << "";
    QTest::newRow("MWD over MWV with T, by time")
        << trueWind << water
        << QStringList{"0 YXMWV,090,T,10,M,A", "100 WIMWD,270,T,,M,,N,9,M",
                       "5100 YXMWV,091,T,10,M,A", "5101 YXMWV,092,T,10,M,A"}
        << QStringList{"0: off bow 90.0@10.00, true wind angle off the bow from MWV",
                       "100: north 270.0@9.00 bow 90.0, true wind from MWD",
                       "5101: off bow 92.0@10.00, true wind angle off the bow from MWV"}
        << noHeading;
    QTest::newRow("MWV with T and MWD from north by the heading")
        << trueWind << water
        << QStringList{"0 HEHDT,350,T", "100 YXMWV,030,T,10,M,A", "6000 HEHDT,090,T",
                       "6100 WIMWD,120,T,,M,,N,9,M"}
        << QStringList{"100: north 20.0@10.00 bow 30.0, true wind from MWV and HDT",
                       "6100: north 120.0@9.00 bow 30.0, true wind from MWD"}
        << "";
    QTest::newRow("without a heading, the angle off the bow")
        << trueWind << water << QStringList{"0" + vhw, "20" + mwv}
        << QStringList{"20: off bow 90.0@4.00, true wind angle off the bow from apparent wind "
                       "and speed through water"}
        << noHeading;
    QTest::newRow("without a boat speed, nothing")
        << trueWind << water << QStringList{"0" + hdt, "20" + mwv} << QStringList{}
        << "no boat speed: VHW, VTG or RMC missing";
    QTest::newRow("over the ground: RMC, never VHW")
        << trueWind << BoatSpeedSource::Ground
        << QStringList{"0" + vhw, "0 GPRMC,1,A,4807.038,N,01131.000,E,5.8315335,84.4,230394,3.1,W",
                       "10" + hdt, "20" + mwv, "5001" + mwv}
        << QStringList{"20: north 190.0@4.00 bow 90.0, true wind from apparent wind, speed over "
                       "ground and HDT"}
        << "no boat speed: VTG or RMC missing";
    QTest::newRow("through the water falls back to VTG")
        << trueWind << water << QStringList{"0 GPVTG,,T,,M,,N,10.8,K", "10" + hdt, "20" + mwv}
        << QStringList{"20: north 190.0@4.00 bow 90.0, true wind from apparent wind, speed over "
                       "ground and HDT"}
        << "";
    // VHW at 2000 brings the speed and a heading of 10.
    QTest::newRow("heading from HDT, else HDG, else VHW, each for 5 s")
        << trueWind << water
        << QStringList{"2 HEHDT,200,T",
                       "1000 HCHDG,101.1,,,7.1,W",
                       "2000 IIVHW,10,T,,M,,N,10.8,K",
                       "3000" + mwv,
                       "5003" + mwv,
                       "6001" + mwv}
        << QStringList{"3000: north 290.0@4.00 bow 90.0, true wind from apparent wind, speed "
                       "through water and HDT",
                       "5003: north 184.0@4.00 bow 90.0, true wind from apparent wind, speed "
                       "through water and HDG",
                       "6001: north 100.0@4.00 bow 90.0, true wind from apparent wind, speed "
                       "through water and VHW"}
        << "";
    QTest::newRow("the instrument's own true wind first")
        << trueWind << water
        << QStringList{"0" + vhw,    "0" + hdt,    "10" + mwv,   "100 WIMWD,300,T,,M,,N,9,M",
                       "5000" + vhw, "5000" + hdt, "5100" + mwv, "5101" + mwv}
        << QStringList{"10: " + fromApparent, "100: north 300.0@9.00 bow 200.0, true wind from MWD",
                       "5101: " + fromApparent}
        << "";
}

void tst_WindChoice::choice()
{
    QFETCH(NmeaWind, wind);
    QFETCH(BoatSpeedSource, boatSpeed);
    QFETCH(QStringList, script);

    NmeaWindReader reader(wind);
    WindChoice choice(wind, boatSpeed);
    QStringList shown;
    qint64 now = 0;
    for (const QString &step : script) {
        now = step.section(u' ', 0, 0).toLongLong();
        const QString what = step.section(u' ', 1);
        if (what == u"reset") {
            choice.reset();
            continue;
        }
        const QByteArray sentence
            = what.startsWith(u'$') ? what.toLatin1() + "\r\n" : nmeaSentence(what.toLatin1());
        for (const WindLineEvent &event : reader.feed(sentence)) {
            const std::optional<ChosenWind> chosen = choice.take(event, now);
            if (!chosen)
                continue;
            const char *const kinds[] = {"sensor", "apparent", "off bow", "north"};
            const WindReading &reading = chosen->reading;
            QString text
                = QString::asprintf("%lld: %s %.1f@%.2f", now, kinds[int(reading.kind)],
                                    *reading.directionDegrees, *reading.speedMetresPerSecond);
            if (chosen->angleOffBowDegrees)
                text += QString::asprintf(" bow %.1f", *chosen->angleOffBowDegrees);
            shown << text + QStringLiteral(", ") + chosen->description;
        }
    }
    QTEST(shown, "shown");
    QTEST(choice.missing(now), "missing");
}

QTEST_APPLESS_MAIN(tst_WindChoice)
#include "tst_windchoice.moc"
