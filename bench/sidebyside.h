// SPDX-License-Identifier: MIT
#pragma once

#include "linefeeder.h"
#include "windowsession.h"

#include <chrono>
#include <vector>

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
    // The CPU time of each side's X server per second of the window's
    // measured span (100 % is one core); negative when the two do not draw
    // on X servers of the bench's own.
    double windowServerCpuShare = -1;
    double displayServerCpuShare = -1;
};

// The X servers of measureSideBySideOnX(): this process draws on the first,
// the minimal display on the second.
struct DisplayServers
{
    qint64 windowServerPid = 0;
    QString minimalDisplay; // what DISPLAY names the second
    qint64 minimalServerPid = 0;
};

SideBySideFigures measureSideBySide(const LineFeeder::Schedule &schedule,
                                    const DisplayServers *servers = nullptr);

// Rounds of measureSideBySide() under X: two Xvfb servers, one for each
// side, so that each server's CPU time belongs to one side, and a child
// process of this program (started with XRoundsOption) that draws the window
// on the first. Returns no rounds, and says why in problem, when that
// cannot be set up.
std::vector<SideBySideFigures> measureSideBySideOnX(const LineFeeder::Schedule &schedule,
                                                    int rounds, QString &problem);

// The children's side: when the arguments hold ChildOption, runs the minimal
// display for the schedule they give; when they hold XRoundsOption, runs the
// rounds of measureSideBySideOnX(). Either writes its figures to standard
// output and returns the exit status; otherwise returns -1.
inline constexpr char ChildOption[] = "--minimal-display-child";
inline constexpr char XRoundsOption[] = "--side-by-side-x-child";
int runSideBySideChild(int argc, char *argv[]);
