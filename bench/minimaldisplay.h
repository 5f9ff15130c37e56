// SPDX-License-Identifier: MIT
#pragma once

#include "linefeeder.h"
#include "windowsession.h"

// The listening yardstick: the least a Qt Widgets program does to show the
// sensor's frames. A QSerialPort readyRead handler takes every complete frame,
// checks it as the application does, sets six labels (degrees, compass
// point, km/h, mph, knots, Beaufort) and repaints one antialiased 250 x 210
// dial, in a window of the main window's size. wind-bench feeds it from the
// same pseudo-terminal feeder as the real window, so the two figures side by
// side say what the application adds to what showing a frame must cost.
//
// atStart, when given, runs right before the line starts to carry frames.
SessionFigures measureMinimalDisplay(const LineFeeder::Schedule &schedule,
                                     const std::function<void()> &atStart = {});
