// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

// Names the application for Qt: its name (which names the settings folder
// under the user's configuration folder), its version and its desktop entry.
// Works before the application object exists.
void describeApplication();

// What the command line asks of the window that starts.
struct StartRequest
{
    bool openHistory = false; // --history: the history window opens too
    bool night = false; // --night: night colours from the start
};

// Reads the command line before any window system is reached, so that
// --help, --version and --list-ports answer on a text console too. Qt's own
// options (-platform, -style, ...) pass through to the application object.
// Returns the exit status when the command line asked for an answer or was
// wrong, nothing when the window is to start as request says.
std::optional<int> runCommandLine(int argc, char *argv[], StartRequest &request);
