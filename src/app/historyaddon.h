// SPDX-License-Identifier: MIT
#pragma once

#include "historywindow.h"

#include "feed/addon.h"
#include "feed/windrecorder.h"

class QAction;
class QWidget;
class SettingsFile;
class WindFeed;

// The wind history beside the main window, attached from outside: the
// recorder fed from the feed, the data log the settings file asks for, the
// history window with the runways the settings file names, and the action "Wind History…" (Ctrl+H)
// in the main window's context menu. Problems of the log while it runs show in a message box that
// does not wait, so the display goes on.
class HistoryAddOn : public AddOn
{
public:
    HistoryAddOn(const SettingsFile &settings, WindFeed &feed, QWidget &mainWindow);
    ~HistoryAddOn() override;
    HistoryAddOn(const HistoryAddOn &) = delete;
    HistoryAddOn &operator=(const HistoryAddOn &) = delete;

    // Reads the section [LOG] and starts the data log it asks for, and the
    // runways of [RUNWAYS].
    QStringList start() override;

    WindRecorder &recorder() { return m_recorder; }
    HistoryWindow &historyWindow() { return m_historyWindow; }
    QAction *openAction() const { return m_openAction; }

private:
    const SettingsFile &m_settings;
    WindRecorder m_recorder;
    HistoryWindow m_historyWindow;
    QAction *m_openAction = nullptr;
};
