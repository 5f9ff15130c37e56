// Example mode: a random walk of the direction and the speed, four steps a
// second, for a window without a sensor.

#include "randomwalk.h"
#include "shell/frmmain.h"

#include <QPushButton>
#include <QTimer>

namespace {
constexpr double DirectionStep = 20.0;
constexpr float DirectionThreshold = 0.5f;
constexpr double SpeedStep = 2.0;
constexpr float SpeedThreshold = 0.55f;
constexpr double SpeedLimit = 60.0;
} // namespace

void frmMain::SimulateStep()
{
    const DrawSource draw = [] {
        return exampleModeDraws().next();
    };
    WindAngle = RandomWalkStep(WindAngle, DirectionStep, DirectionThreshold, draw);
    WindSpeed = RandomWalkStep(WindSpeed, SpeedStep, SpeedThreshold, draw);
    if (WindSpeed > SpeedLimit)
        WindSpeed = SpeedLimit;
}

void frmMain::Timer1_Timer()
{
    if (!ExampleModeOn) {
        Timer1->stop();
        return;
    }
    SimulateStep();
    RefreshDisplay();
}

void frmMain::Command3_Click()
{
    ExampleModeOn = !ExampleModeOn;
    if (ExampleModeOn) {
        if (!Timer1->isActive())
            Timer1->start();
        Command3->setText(QStringLiteral("Stop Example Mode"));
        if (ListeningActive)
            StopListening();
    } else {
        // The timer stops itself at its next tick.
        Command3->setText(QStringLiteral("Start Example Mode"));
    }
}
