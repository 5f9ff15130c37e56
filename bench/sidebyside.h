#pragma once

#include "linefeeder.h"
#include "windowsession.h"

#include <chrono>

// The real window and the minimal display listening at the same time, each
// to a line of its own: the display runs in a child process (this program,
// started with ChildOption). Both lines start together, the display's frames
// half a period after the window's, so that the two never handle a frame at
// the same moment. A busy machine then weighs on both figures alike, which
// two runs one after the other cannot promise.
struct SideBySideFigures
{
    SessionFigures window;
    SessionFigures minimalDisplay;
};

SideBySideFigures measureSideBySide(const LineFeeder::Schedule &schedule);

// The child's side: when the arguments hold ChildOption, runs the minimal
// display for the schedule they give, writes its figures to standard output
// and returns the exit status; otherwise returns -1.
inline constexpr char ChildOption[] = "--minimal-display-child";
int runSideBySideChild(int argc, char *argv[]);
