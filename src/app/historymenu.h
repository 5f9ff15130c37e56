// SPDX-License-Identifier: MIT
#pragma once

class HistoryWindow;
class QAction;
class QWidget;

// Gives the main window, from outside, the action "Wind History…" (Ctrl+H)
// and a context menu that holds it, over every part of the window, its text
// boxes included. The menu pops up without a loop of its
// own, so a listening loop that is running goes on while it is open.
QAction *addWindHistoryAction(QWidget &mainWindow, HistoryWindow &history);
