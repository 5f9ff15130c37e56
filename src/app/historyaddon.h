#pragma once

#include "historywindow.h"
#include "windrecorder.h"

class QAction;
class SettingsFile;
class WindWindow;

// The wind history beside the main window, attached from outside: the
// recorder fed from the window's signals, the data log the settings file asks
// for, the history window, and the action "Wind History…" (Ctrl+H) in the
// window's context menu. Problems of the log show in a message box that does
// not wait, so the display goes on.
class HistoryAddOn
{
public:
    HistoryAddOn(WindWindow &window, const SettingsFile &settings);
    HistoryAddOn(const HistoryAddOn &) = delete;
    HistoryAddOn &operator=(const HistoryAddOn &) = delete;

    // Reads the section [LOG]; call once the window has read its settings,
    // which chooses the file.
    void startDataLog();

    WindRecorder &recorder() { return m_recorder; }
    HistoryWindow &historyWindow() { return m_historyWindow; }
    QAction *openAction() const { return m_openAction; }

private:
    const SettingsFile &m_settings;
    WindRecorder m_recorder;
    HistoryWindow m_historyWindow;
    QAction *m_openAction = nullptr;
};
