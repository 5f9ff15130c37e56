#pragma once

#include <QString>

#include <vector>

// Starts the real application as a child process and times how long it takes
// from the moment it is spawned to the first time its main window has been
// painted and handed to the window system. The child runs from a folder of
// its own (a hard link to the program, or a copy) that holds its settings
// file, so the build folder's settings are left alone.
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

StartupFigures measureStartup(const QString &program, int runs);
