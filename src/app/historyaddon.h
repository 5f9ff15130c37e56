// SPDX-License-Identifier: MIT
#pragma once

#include "historywindow.h"
#include "windrecorder.h"

#include <memory>

class QAction;
class SettingsFile;
class WindInput;
class WindWindow;

// The wind history beside the main window, attached from outside: the
// recorder fed from the window's signals, the data log the settings file asks
// for, the history window, and the action "Wind History…" (Ctrl+H) in the
// window's context menu. Problems of the log show in a message box that does
// not wait, so the display goes on.
class HistoryAddOn
{
public:
    // input names what listening reads; without it, the sensor on the
    // serial port.
    HistoryAddOn(WindWindow &window, const SettingsFile &settings,
                 const WindInput *input = nullptr);
    ~HistoryAddOn();
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
    std::unique_ptr<WindInput> m_sensorInput; // when no input was given
    WindRecorder m_recorder;
    HistoryWindow m_historyWindow;
    QAction *m_openAction = nullptr;
};
