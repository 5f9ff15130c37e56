// SPDX-License-Identifier: MIT
#include "core/windcorrections.h"

#include <QTest>

#include <cmath>

namespace {

std::optional<double> valueOrNone(double value)
{
    return qIsNaN(value) ? std::nullopt : std::optional<double>(value);
}

} // namespace

class tst_WindCorrections : public QObject
{
    Q_OBJECT

private slots:
    void corrected_data();
    void corrected();
    void zeroing_data();
    void zeroing();
};

// NaN stands for a value the reading lacks.
void tst_WindCorrections::corrected_data()
{
    QTest::addColumn<double>("direction");
    QTest::addColumn<double>("speed");
    QTest::addColumn<double>("offset");
    QTest::addColumn<double>("factor");
    QTest::addColumn<double>("correctedDirection");
    QTest::addColumn<double>("correctedSpeed");

    const double none = qQNaN();
    QTest::newRow("vane 10 degrees east of north, cups reading low")
        << 45.0 << 10.0 << -10.0 << 1.1 << 35.0 << 11.0;
    QTest::newRow("offset wraps past north") << 350.0 << 5.0 << 20.0 << 1.0 << 10.0 << 5.0;
    QTest::newRow("offset wraps below north") << 5.0 << 5.0 << -10.0 << 1.0 << 355.0 << 5.0;
    QTest::newRow("half a turn onto north") << 180.0 << 5.0 << 180.0 << 1.0 << 0.0 << 5.0;
    QTest::newRow("half a turn back") << 90.0 << 5.0 << -180.0 << 1.0 << 270.0 << 5.0;
    QTest::newRow("smallest factor") << 90.0 << 10.0 << 0.0 << MinSpeedFactor << 90.0 << 5.0;
    QTest::newRow("largest factor") << 90.0 << 10.0 << 0.0 << MaxSpeedFactor << 90.0 << 20.0;
    QTest::newRow("missing direction stays missing") << none << 10.0 << 30.0 << 2.0 << none << 20.0;
    QTest::newRow("missing speed stays missing") << 90.0 << none << 30.0 << 2.0 << 120.0 << none;
    // A sensor's own 400 is shown as it always was when nothing is
    // corrected.
    QTest::newRow("no correction changes nothing") << 400.0 << 5.0 << 0.0 << 1.0 << 400.0 << 5.0;
}

void tst_WindCorrections::corrected()
{
    QFETCH(double, direction);
    QFETCH(double, speed);
    QFETCH(double, offset);
    QFETCH(double, factor);
    QFETCH(double, correctedDirection);
    QFETCH(double, correctedSpeed);

    WindReading reading{valueOrNone(direction), valueOrNone(speed), WindKind::Apparent,
                        NmeaSentenceId::Vwr};
    const WindReading corrected = correctedReading(reading, WindCorrections{offset, factor});
    QCOMPARE(corrected.directionDegrees.has_value(), !qIsNaN(correctedDirection));
    if (corrected.directionDegrees)
        QVERIFY(qAbs(*corrected.directionDegrees - correctedDirection) < 1e-9);
    QCOMPARE(corrected.speedMetresPerSecond.has_value(), !qIsNaN(correctedSpeed));
    if (corrected.speedMetresPerSecond)
        QVERIFY(qAbs(*corrected.speedMetresPerSecond - correctedSpeed) < 1e-9);
    QCOMPARE(corrected.kind, WindKind::Apparent);
    QCOMPARE(corrected.sentence, NmeaSentenceId::Vwr);
}

void tst_WindCorrections::zeroing_data()
{
    QTest::addColumn<double>("reported");
    QTest::addColumn<double>("offset");

    QTest::newRow("east of north") << 10.0 << -10.0;
    QTest::newRow("west of north") << 350.0 << 10.0;
    QTest::newRow("already north") << 0.0 << 0.0;
    QTest::newRow("south") << 180.0 << -180.0;
    QTest::newRow("just west of south") << 180.5 << 179.5;
    QTest::newRow("a hair west of north, without noise") << 359.99 << 0.01;
    QTest::newRow("a sensor's negative angle") << -5.0 << 5.0;
    QTest::newRow("a sensor's angle beyond a turn") << 370.0 << -10.0;
}

void tst_WindCorrections::zeroing()
{
    QFETCH(double, reported);
    QFETCH(double, offset);

    const double zeroing = zeroingDirectionOffset(reported);
    QCOMPARE(zeroing, offset);
    QVERIFY(!std::signbit(zeroing) || zeroing != 0);
    // The offset makes what was reported read north.
    const WindReading corrected
        = correctedReading(WindReading{reported, 1.0}, WindCorrections{zeroing, 1});
    const double north = *corrected.directionDegrees;
    QVERIFY2(north < 1e-6 || north > 360 - 1e-6, qPrintable(QString::number(north)));
}

QTEST_APPLESS_MAIN(tst_WindCorrections)
#include "tst_windcorrections.moc"
