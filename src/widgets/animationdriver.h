// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractAnimation>
#include <QTimer>

#include <chrono>

// Drives Qt's animations from a timer of its own, at a chosen interval,
// instead of Qt's 60 ticks a second. Every tick wakes the event loop, and
// with it anything that runs a pass at each wake-up; an arrow that is
// repainted at most 30 times a second gains nothing from the other ticks.
// Install it once, before any animation starts; it runs only while an
// animation does.
class AnimationDriver : public QAnimationDriver
{
    Q_OBJECT

public:
    explicit AnimationDriver(std::chrono::milliseconds interval, QObject *parent = nullptr);

protected:
    void start() override;
    void stop() override;

private:
    QTimer m_timer;
};
