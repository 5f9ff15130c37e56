// SPDX-License-Identifier: MIT
// Example mode: a random walk of the direction and the speed, four steps a
// second, for a window without a sensor.

#include "windwindow.h"

#include "core/randomwalk.h"

#include <QPushButton>
#include <QTimer>

namespace {
constexpr double DirectionStep = 20.0;
constexpr float DirectionThreshold = 0.5f;
constexpr double SpeedStep = 2.0;
constexpr float SpeedThreshold = 0.55f;
constexpr double SpeedLimit = 60.0;
} // namespace

void WindWindow::stepExampleWalk()
{
    const DrawSource draw = [] {
        return exampleModeDraws().next();
    };
    m_state.directionDegrees
        = randomWalkStep(m_state.directionDegrees, DirectionStep, DirectionThreshold, draw);
    m_state.speedMetresPerSecond
        = randomWalkStep(m_state.speedMetresPerSecond, SpeedStep, SpeedThreshold, draw);
    if (m_state.speedMetresPerSecond > SpeedLimit)
        m_state.speedMetresPerSecond = SpeedLimit;
}

void WindWindow::exampleTick()
{
    if (!m_state.exampleModeOn) {
        m_controls.exampleTimer->stop();
        return;
    }
    stepExampleWalk();
    refreshDisplay();
    announceSample(WindSource::ExampleMode);
}

void WindWindow::toggleExampleMode()
{
    setExampleModeOn(!m_state.exampleModeOn);
    if (m_state.exampleModeOn) {
        if (!m_controls.exampleTimer->isActive())
            m_controls.exampleTimer->start();
        if (m_state.listening)
            stopListening();
    }
    // Switched off, the timer stops itself at its next tick.
}

void WindWindow::setExampleModeOn(bool on)
{
    m_state.exampleModeOn = on;
    m_controls.exampleModeButton->setText(on ? QStringLiteral("Stop Example Mode")
                                             : QStringLiteral("Start Example Mode"));
    emit exampleModeChanged(on);
}
