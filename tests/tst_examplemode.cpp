#include "windowfixture.h"

#include "sources/randomwalk.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cmath>

class tst_ExampleMode : public QObject
{
    Q_OBJECT

private slots:
    void drawsRepeatAndStayBelowOne();
    void randomWalkStep_data();
    void randomWalkStep();
    void stepDrawsDirectionFirst();
    void speedIsCappedAtSixty();
    void switchingOffLetsOneTickStopTheTimer();
    void switchingBackOnBeforeTheTickKeepsStepping();
};

void tst_ExampleMode::drawsRepeatAndStayBelowOne()
{
    SingleDraws first;
    SingleDraws second;
    for (int i = 0; i < 1000000; ++i) {
        const float draw = first.next();
        QCOMPARE(draw, second.next());
        QVERIFY(draw >= 0.0f && draw < 1.0f);
    }
}

void tst_ExampleMode::randomWalkStep_data()
{
    QTest::addColumn<QList<float>>("draws");
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("stepSize");
    QTest::addColumn<float>("threshold");
    QTest::addColumn<double>("expected");
    QTest::addColumn<int>("drawsUsed");

    QTest::newRow("at the threshold: no move")
        << QList<float> {0.5f} << 10.0 << 20.0 << 0.5f << 10.0 << 1;
    QTest::newRow("speed threshold") << QList<float> {0.55f} << 3.0 << 2.0 << 0.55f << 3.0 << 1;
    QTest::newRow("up") << QList<float> {0.75f, 0.75f, 0.25f} << 10.0 << 20.0 << 0.5f << 15.0 << 3;
    QTest::newRow("exactly one half goes down")
        << QList<float> {0.75f, 0.5f, 0.25f} << 10.0 << 20.0 << 0.5f << 5.0 << 3;
    QTest::newRow("below zero is left to the display")
        << QList<float> {0.9f, 0.1f, 0.75f} << 0.4 << 2.0 << 0.55f << -1.1 << 3;
    QTest::newRow("single-precision draw, double sum")
        << QList<float> {0.9f, 0.9f, 0.1f} << 0.0 << 20.0 << 0.5f << double(0.1f) * 20.0 << 3;
}

void tst_ExampleMode::randomWalkStep()
{
    QFETCH(QList<float>, draws);
    QFETCH(double, value);
    QFETCH(double, stepSize);
    QFETCH(float, threshold);
    QFETCH(double, expected);
    QFETCH(int, drawsUsed);

    int used = 0;
    const double result
        = RandomWalkStep(value, stepSize, threshold, [&] { return draws.value(used++, 0.0f); });
    QVERIFY(std::abs(result - expected) < 1e-12);
    QCOMPARE(value, result);
    QCOMPARE(used, drawsUsed);
}

void tst_ExampleMode::stepDrawsDirectionFirst()
{
    WindowFixture fixture;
    frmMain &window = *fixture.window;
    for (int step = 0; step < 50; ++step) {
        window.WindAngle = 100;
        window.WindSpeed = 10;
        SingleDraws replay = exampleModeDraws();
        const DrawSource draw = [&replay] {
            return replay.next();
        };
        double angle = 100;
        double speed = 10;
        RandomWalkStep(angle, 20.0, 0.5f, draw);
        RandomWalkStep(speed, 2.0, 0.55f, draw);
        window.SimulateStep();
        QCOMPARE(window.WindAngle, angle);
        QCOMPARE(window.WindSpeed, speed);
    }
}

void tst_ExampleMode::speedIsCappedAtSixty()
{
    WindowFixture fixture;
    frmMain &window = *fixture.window;
    for (int step = 0; step < 20; ++step) {
        window.WindSpeed = 70;
        window.SimulateStep();
        QCOMPARE(window.WindSpeed, 60.0);
    }
}

void tst_ExampleMode::switchingOffLetsOneTickStopTheTimer()
{
    WindowFixture fixture(settingsFile("True", "100", "5"));
    fixture.start();
    frmMain &window = *fixture.window;
    window.Command3->click();
    QCOMPARE(window.Command3->text(), QStringLiteral("Start Example Mode"));
    QVERIFY(window.Timer1->isActive());
    const double angle = window.WindAngle;
    const double speed = window.WindSpeed;
    window.Timer1_Timer();
    QVERIFY(!window.Timer1->isActive());
    QCOMPARE(window.WindAngle, angle);
    QCOMPARE(window.WindSpeed, speed);
}

void tst_ExampleMode::switchingBackOnBeforeTheTickKeepsStepping()
{
    WindowFixture fixture(settingsFile("True", "100", "5"));
    fixture.start();
    frmMain &window = *fixture.window;
    window.Command3->click();
    window.Command3->click();
    QCOMPARE(window.Command3->text(), QStringLiteral("Stop Example Mode"));
    QVERIFY(window.Timer1->isActive());
    // Ticks go on and the walk moves within a couple of seconds.
    QTRY_VERIFY_WITH_TIMEOUT(window.WindAngle != 100 || window.WindSpeed != 5, 5000);
}

QTEST_MAIN(tst_ExampleMode)
#include "tst_examplemode.moc"
