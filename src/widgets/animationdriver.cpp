// SPDX-License-Identifier: MIT
#include "animationdriver.h"

AnimationDriver::AnimationDriver(std::chrono::milliseconds interval, QObject *parent)
    : QAnimationDriver(parent)
{
    // Precise, so that an animation ends on the tick at its duration rather
    // than up to a twentieth later.
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(interval);
    connect(&m_timer, &QTimer::timeout, this, &AnimationDriver::advance);
}

void AnimationDriver::start()
{
    QAnimationDriver::start();
    m_timer.start();
}

void AnimationDriver::stop()
{
    m_timer.stop();
    QAnimationDriver::stop();
}
