// SPDX-License-Identifier: MIT
// The compass's alarm ring blinks once a second for as long as an alarm
// waits to be acknowledged, which may be all night. Prints the CPU time of
// one step of the blinking, painted as the window system shows it, beside
// that of one repaint of the whole compass, and what an hour of blinking
// costs. Run it on the display to be measured (xvfb-run -a for a virtual
// one).

#include "widgets/compasswidget.h"

#include <QApplication>
#include <QStyleFactory>
#include <QTextStream>
#include <QWindow>

#include <algorithm>
#include <ctime>
#include <functional>

namespace {

double cpuMicroseconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

// The CPU time of one run of step with what it posts handled: the mean of
// a round of many, the least of several rounds, since other processes on
// the machine only ever add to it.
double perStep(const std::function<void(int)> &step)
{
    constexpr int Rounds = 7;
    constexpr int Steps = 400;
    double least = 0;
    for (int round = 0; round < Rounds; ++round) {
        const double start = cpuMicroseconds();
        for (int i = 0; i < Steps; ++i) {
            step(i);
            // A benchmark, not the live path: the repaints it posted are
            // done before the next step.
            QCoreApplication::processEvents();
        }
        const double mean = (cpuMicroseconds() - start) / Steps;
        least = round == 0 ? mean : std::min(least, mean);
    }
    return least;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    CompassWidget compass;
    // The main window's compass.
    compass.resize(249, 209);
    compass.setWindDirection(200);
    compass.show();
    while (!compass.windowHandle() || !compass.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);

    const double idle = perStep([](int) {});
    const double ring
        = perStep([&compass](int i) {
              compass.setRing(i % 2 ? CompassWidget::Ring::Steady : CompassWidget::Ring::Off);
          })
        - idle;
    const double whole = perStep([&compass](int) { compass.update(); }) - idle;

    QTextStream out(stdout);
    out << "ring lit or dark, one step:  " << Qt::fixed << qSetRealNumberPrecision(1) << ring
        << " us CPU\n"
        << "whole compass, one repaint:  " << whole << " us CPU\n"
        << "an hour of blinking (3600 steps): " << ring * 3600 / 1000 << " ms CPU\n";
    return 0;
}
