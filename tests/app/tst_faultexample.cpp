// SPDX-License-Identifier: MIT
// Example mode left running for a whole day: the walk must never leave the
// ranges the display can show, however far it drifts.

#include "windowfixture.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTest>

#include <cmath>

class tst_FaultExample : public QObject
{
    Q_OBJECT

private slots:
    void aDayOfExampleModeStaysInRange();
};

void tst_FaultExample::aDayOfExampleModeStaysInRange()
{
    // Four ticks a second for 24 hours.
    constexpr int Steps = 4 * 60 * 60 * 24;
    WindowFixture fixture(settingsFile("False", "1", "1"));
    fixture.start();

    QElapsedTimer clock;
    clock.start();
    double lowestSpeed = 60;
    double highestSpeed = 0;
    for (int step = 1; step <= Steps; ++step) {
        fixture.stepExampleWalk();
        fixture.refreshDisplay();
        const double angle = fixture.state().directionDegrees;
        const double speed = fixture.state().speedMetresPerSecond;
        // One correction each way leaves (-1, 359]: 359.5 shows as -0.5.
        if (!std::isfinite(angle) || !std::isfinite(speed) || speed < 0 || speed > 60 || angle <= -1
            || angle > 359)
            QFAIL(qPrintable(QStringLiteral("step %1: direction %2, speed %3")
                                 .arg(step)
                                 .arg(angle, 0, 'g', 17)
                                 .arg(speed, 0, 'g', 17)));
        lowestSpeed = std::min(lowestSpeed, speed);
        highestSpeed = std::max(highestSpeed, speed);
    }
    qInfo("%d steps with refresh in %lld ms", Steps, clock.elapsed());

    // The walk did reach both ends of the speed range.
    QCOMPARE(lowestSpeed, 0.0);
    QCOMPARE(highestSpeed, 60.0);
    QVERIFY(fixture.fatalErrors.isEmpty());
    QVERIFY(fixture.messages.isEmpty());
    QVERIFY(!fixture.controls().degreesReadout->text().isEmpty());
    QVERIFY(!fixture.controls().kmhReadout->text().isEmpty());
}

QTEST_MAIN(tst_FaultExample)
#include "tst_faultexample.moc"
