// SPDX-License-Identifier: MIT
#include "windowfixture.h"

#include "core/randomwalk.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <cmath>

class tst_ExampleMode : public QObject
{
    Q_OBJECT

private slots:
    void stepDrawsDirectionFirst();
    void speedIsCappedAtSixty();
    void switchingOffLetsOneTickStopTheTimer();
    void switchingBackOnBeforeTheTickKeepsStepping();
    void ticksAreSamplesOfExampleMode();
};

void tst_ExampleMode::stepDrawsDirectionFirst()
{
    WindowFixture fixture;
    for (int step = 0; step < 50; ++step) {
        fixture.state().directionDegrees = 100;
        fixture.state().speedMetresPerSecond = 10;
        SingleDraws replay = exampleModeDraws();
        const DrawSource draw = [&replay] {
            return replay.next();
        };
        double angle = 100;
        double speed = 10;
        randomWalkStep(angle, 20.0, 0.5f, draw);
        randomWalkStep(speed, 2.0, 0.55f, draw);
        fixture.stepExampleWalk();
        QCOMPARE(fixture.state().directionDegrees, angle);
        QCOMPARE(fixture.state().speedMetresPerSecond, speed);
    }
}

void tst_ExampleMode::speedIsCappedAtSixty()
{
    WindowFixture fixture;
    for (int step = 0; step < 20; ++step) {
        fixture.state().speedMetresPerSecond = 70;
        fixture.stepExampleWalk();
        QCOMPARE(fixture.state().speedMetresPerSecond, 60.0);
    }
}

void tst_ExampleMode::switchingOffLetsOneTickStopTheTimer()
{
    WindowFixture fixture(settingsFile("True", "100", "5"));
    fixture.start();
    fixture.controls().exampleModeButton->click();
    QCOMPARE(fixture.controls().exampleModeButton->text(), QStringLiteral("Start Example Mode"));
    QVERIFY(fixture.exampleTimer()->isActive());
    const double angle = fixture.state().directionDegrees;
    const double speed = fixture.state().speedMetresPerSecond;
    fixture.exampleTick();
    QVERIFY(!fixture.exampleTimer()->isActive());
    QCOMPARE(fixture.state().directionDegrees, angle);
    QCOMPARE(fixture.state().speedMetresPerSecond, speed);
}

void tst_ExampleMode::switchingBackOnBeforeTheTickKeepsStepping()
{
    WindowFixture fixture(settingsFile("True", "100", "5"));
    fixture.start();
    fixture.controls().exampleModeButton->click();
    fixture.controls().exampleModeButton->click();
    QCOMPARE(fixture.controls().exampleModeButton->text(), QStringLiteral("Stop Example Mode"));
    QVERIFY(fixture.exampleTimer()->isActive());
    // Ticks go on and the walk moves within a couple of seconds.
    QTRY_VERIFY_WITH_TIMEOUT(
        fixture.state().directionDegrees != 100 || fixture.state().speedMetresPerSecond != 5, 5000);
}

// Every tick that steps is a sample, marked as made up; the tick that only
// stops the timer is none.
void tst_ExampleMode::ticksAreSamplesOfExampleMode()
{
    WindowFixture fixture(settingsFile("True", "355", "-1"));
    fixture.start();
    QSignalSpy samples(fixture.feed.get(), &WindFeed::sampleAccepted);
    QSignalSpy modes(fixture.feed.get(), &WindFeed::stateChanged);
    fixture.exampleTick();
    fixture.exampleTick();
    fixture.feed->toggleExampleMode();
    fixture.exampleTick();
    QCOMPARE(samples.size(), 2);
    for (const QList<QVariant> &sample : samples) {
        const auto reading = sample.at(0).value<WindFeedReading>();
        QCOMPARE(reading.source, WindSource::ExampleMode);
        QVERIFY(reading.sample.speedMetresPerSecond >= 0);
    }
    QCOMPARE(modes.size(), 1);
    QCOMPARE(modes.at(0).at(0).value<WindFeed::State>(), WindFeed::State::Idle);
}

QTEST_MAIN(tst_ExampleMode)
#include "tst_examplemode.moc"
