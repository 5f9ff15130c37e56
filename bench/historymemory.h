// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

// The heap that an hour of recorded samples holds, and what the history
// window adds to it.
struct HistoryMemory
{
    qint64 samples = 0;
    double recorderMb = 0; // the recorder after an hour at 40 samples a second
    // And the history window shown at 60 minutes and refreshed; a refresh
    // reads the points where they are, so this is also its peak.
    double withWindowMb = 0;
};

// Feeds an hour at 40 samples a second to the recorder on a clock of its own,
// without the serial line: the heap does not depend on how the samples come.
HistoryMemory measureHistoryMemory();
