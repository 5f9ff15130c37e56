// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <vector>

// Starts a program, the real application or a yardstick, as a child process
// and times how long it takes from the moment it is spawned to the first time
// its main window has been painted and handed to the window system. The child
// runs from a folder of its own (a hard link to the program, or a copy) that
// holds a settings file, so the build folder's settings are left alone.
//
// The child tells when it has painted through Qt's own painting log, which
// it writes to a pipe; the log costs the child a little time, so the figure
// is slightly on the high side.
struct StartupRun
{
    double firstPaintMs = 0;
    qint64 residentKiB = 0; // right after the first paint
};

struct StartupFigures
{
    std::vector<StartupRun> runs;
    QString error; // why a run failed; empty when all ran
};

struct StartupSubject
{
    QString program;
    QString windowClass; // the class of the window whose first paint ends the timing
};

// Starts each subject `runs` times, taking turns; the order swaps every
// round, so a machine that grows busier during the runs weighs on every
// subject alike. One StartupFigures per subject, in the order given.
std::vector<StartupFigures> measureStartups(const std::vector<StartupSubject> &subjects, int runs);
