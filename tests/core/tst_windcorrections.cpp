// SPDX-License-Identifier: MIT
#include "core/windcorrections.h"

#include <QTest>

class tst_WindCorrections : public QObject
{
    Q_OBJECT

private slots:
    void corrected_data();
    void corrected();
    void zeroing_data();
    void zeroing();
};

// A direction of -1 stands for one the reading lacks.
void tst_WindCorrections::corrected_data()
{
    QTest::addColumn<double>("direction");
    QTest::addColumn<double>("offset");
    QTest::addColumn<double>("factor");
    QTest::addColumn<double>("correctedDirection");
    QTest::addColumn<double>("correctedSpeed"); // of 10 m/s

    QTest::newRow("vane east of north, cups reading low") << 45.0 << -10.0 << 1.1 << 35.0 << 11.0;
    QTest::newRow("offset wraps past north") << 350.0 << 20.0 << 1.0 << 10.0 << 10.0;
    QTest::newRow("offset wraps below north") << 5.0 << -10.0 << 1.0 << 355.0 << 10.0;
    QTest::newRow("half a turn onto north") << 180.0 << 180.0 << 1.0 << 0.0 << 10.0;
    QTest::newRow("smallest factor") << 90.0 << 0.0 << MinSpeedFactor << 90.0 << 5.0;
    QTest::newRow("largest factor") << 90.0 << 0.0 << MaxSpeedFactor << 90.0 << 20.0;
    QTest::newRow("missing direction stays missing") << -1.0 << 30.0 << 2.0 << -1.0 << 20.0;
    // A sensor's own 400 is shown as it always was.
    QTest::newRow("no correction changes nothing") << 400.0 << 0.0 << 1.0 << 400.0 << 10.0;
}

void tst_WindCorrections::corrected()
{
    QFETCH(double, direction);
    QFETCH(double, offset);
    QFETCH(double, factor);
    QFETCH(double, correctedDirection);
    QFETCH(double, correctedSpeed);

    const WindReading reading{direction < 0 ? std::nullopt : std::optional(direction), 10.0,
                              WindKind::Apparent, NmeaSentenceId::Vwr};
    const WindReading corrected = correctedReading(reading, WindCorrections{offset, factor});
    QVERIFY(qAbs(corrected.directionDegrees.value_or(-1) - correctedDirection) < 1e-9);
    QVERIFY(qAbs(*corrected.speedMetresPerSecond - correctedSpeed) < 1e-9);
    QCOMPARE(corrected.sentence, NmeaSentenceId::Vwr);
}

void tst_WindCorrections::zeroing_data()
{
    QTest::addColumn<double>("reported");
    QTest::addColumn<double>("offset");

    QTest::newRow("west of north") << 350.0 << 10.0;
    QTest::newRow("north, not -0") << 0.0 << 0.0;
    QTest::newRow("south") << 180.0 << -180.0;
    QTest::newRow("a hair west of north, without noise") << 359.99 << 0.01;
    QTest::newRow("a sensor's angle beyond a turn") << 370.0 << -10.0;
}

void tst_WindCorrections::zeroing()
{
    QFETCH(double, reported);
    QFETCH(double, offset);

    const double zeroing = zeroingDirectionOffset(reported);
    QCOMPARE(zeroing, offset);
    QVERIFY(!std::signbit(zeroing) || zeroing != 0);
    const double north
        = *correctedReading({reported, 1.0}, WindCorrections{zeroing, 1}).directionDegrees;
    QVERIFY2(north < 1e-6 || north > 360 - 1e-6, qPrintable(QString::number(north)));
}

QTEST_APPLESS_MAIN(tst_WindCorrections)
#include "tst_windcorrections.moc"
