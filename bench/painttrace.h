// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>

// Where the pixels go: the window listens at 1 frame a second, on the
// bench's platform, while every repaint pass of the window is recorded:
// which controls it painted and how much of the window it sent on to the
// display. Prints a summary by kind of pass and by control.
void printPaintTrace(std::chrono::milliseconds duration);
