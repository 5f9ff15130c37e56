// SPDX-License-Identifier: MIT
#pragma once

#include "feed/addon.h"
#include "feed/alarmmonitor.h"
#include "widgets/compasswidget.h"

#include <QObject>

#include <functional>

class AlarmList;
class HistoryAddOn;
class QWidget;

// What the user sees of the wind alarms, attached from outside when the
// settings file's [ALARM] section asks for any: the compass's ring (blinking
// red until acknowledged, steady after) and what it tells a screen reader,
// the list in the history window, and Esc on the main window, which
// acknowledges every alarm. The monitor does the rest.
class AlarmAddOn : public QObject, public AddOn
{
    Q_OBJECT

public:
    // Shows the ring and its description on the compass.
    using ShowOnCompass = std::function<void(CompassWidget::Ring ring, const QString &description)>;

    // The clock and the bus go to the monitor (alarmmonitor.h).
    AlarmAddOn(const SettingsFile &settings, WindFeed &feed, QWidget &mainWindow,
               ShowOnCompass showOnCompass, HistoryAddOn &history,
               AlarmMonitor::Clock clock = monotonicMilliseconds,
               std::optional<QDBusConnection> bus = std::nullopt, QObject *parent = nullptr);
    ~AlarmAddOn() override;

    // Call once the data log has started. Throws AppError (FileError) only
    // when the settings file cannot be read.
    QStringList start() override;

    AlarmMonitor &monitor() { return m_monitor; }

private:
    void showAlarms();

    QWidget &m_mainWindow;
    ShowOnCompass m_showOnCompass;
    HistoryAddOn &m_history;
    AlarmMonitor m_monitor;
    AlarmList *m_list = nullptr; // in the history window
};
