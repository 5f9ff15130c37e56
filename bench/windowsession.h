// SPDX-License-Identifier: MIT
#pragma once

#include "linefeeder.h"

#include <QStringList>

#include <memory>

class WindLink;

#include <chrono>
#include <functional>
#include <vector>

// One measured run of the real main window: a shown WindWindow on a settings
// folder of its own, either listening to a pseudo-terminal through the real
// serial control or in example mode.

struct SessionFigures
{
    // CPU time of the application per second of wall time: 1 is one core.
    // The feeding thread's own CPU time is not counted.
    double cpuShare = 0;
    // Wake-ups of the application's threads per second of wall time.
    double wakeUpsPerSecond = 0;
    double seconds = 0; // the measured span: while the line was fed
    double showingSeconds = 0; // from the start to the last refresh that showed a frame
    // From the write that completed a frame to the end of the refresh that
    // showed it, sorted.
    std::vector<double> latenciesMs;
    int written = 0;
    int shown = 0; // display refreshes that showed a frame (example mode: steps)
    bool inOrder = true;
    qsizetype largestReceiveBuffer = 0;
    qint64 peakResidentKiB = 0;
    bool peakSinceProcessStart = false; // the kernel would not reset the peak
    QStringList problems;
};

// The wind history attached to the window as the application attaches it.
struct HistoryScenario
{
    bool dataLog = true; // rows written to a log in a temporary folder
    bool windowOpen = false; // the history window shown, refreshing once a second
    int spanMinutes = 60;
    bool hourBehind = true; // an hour of samples recorded before the measurement
};

struct HistoryFigures
{
    // Time in the recorder for each accepted frame, sorted, in microseconds.
    std::vector<double> recordingUs;
};

// With history given, the wind history is attached and its figures go to
// historyFigures. atStart, when given, runs right before the line starts to
// carry frames, and atEnd right after the measured span.
SessionFigures measureListening(const LineFeeder::Schedule &schedule,
                                const HistoryScenario *history = nullptr,
                                HistoryFigures *historyFigures = nullptr,
                                const std::function<void()> &atStart = {},
                                const std::function<void()> &atEnd = {});
SessionFigures measureExampleMode(std::chrono::milliseconds duration);

// How long a freshly shown window is left alone before a measurement starts:
// long enough for the first paint and the first clock tick to be over.
inline constexpr std::chrono::milliseconds SessionSettle(400);
// How long frames still on their way may take to be shown once the line is
// quiet again.
inline constexpr std::chrono::milliseconds SessionDrain(1000);

// A trial, not a measurement of the application: with on, every window a
// session shows has its clock stopped once it has settled, so that a
// comparison tells what the clock's tick costs.
void setClockStopped(bool on);
bool isClockStopped();

// The sensor's frames on a serial port that opens device whatever its
// number, as the window's input.
std::unique_ptr<WindLink> sensorLinkOn(const QString &device, int portNumber);
