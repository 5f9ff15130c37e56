// SPDX-License-Identifier: MIT
#pragma once

#include "core/windalarms.h"

#include <QDBusConnection>
#include <QDateTime>
#include <QObject>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AlarmCommand;
class AlarmList;
class AlarmLogWriter;
class DesktopNotifier;
class HistoryAddOn;
class QTimer;
class SettingsFile;
class WindWindow;

// The wind alarms beside the main window, attached from outside when the
// settings file's [ALARM] section asks for any: the rules fed with every
// sample the window accepts and told when listening or example mode starts
// and stops; each raise and clear shown on the compass (a blinking red ring
// until acknowledged, steady after), as a desktop notification, in the
// history window's list, in the alarm log beside the data log when that is
// on, and to the section's Command. Esc on the main window acknowledges
// every alarm. Without the section nothing of this exists and nothing runs.
class AlarmAddOn : public QObject
{
    Q_OBJECT

public:
    using Clock = std::function<qint64()>;

    // The clock stamps the samples the rules get and tells them the time; a
    // test may give one that runs faster. The notifications go to the bus
    // given, the session bus when none is.
    AlarmAddOn(WindWindow &window, const SettingsFile &settings, HistoryAddOn &history,
               Clock clock = monotonicMilliseconds,
               std::optional<QDBusConnection> bus = std::nullopt, QObject *parent = nullptr);
    ~AlarmAddOn() override;

    // Reads [ALARM] and, when any alarm is on, sets everything up; call once
    // the window has read its settings and the data log has started, before
    // the window starts. Returns one message for each key that cannot be
    // used, naming the key, its value and the file. Throws AppError
    // (FileError) only when the settings file cannot be read.
    QStringList start();

    void acknowledge(WindAlarmKind kind);
    void acknowledgeAll();

private:
    void followSource();
    void take(const std::vector<WindAlarmEvent> &events);
    void tell(const WindAlarmEvent &event);
    void showAlarms();
    void keepTicking();

    WindWindow &m_window;
    const SettingsFile &m_settings;
    HistoryAddOn &m_history;
    Clock m_clock;
    std::optional<QDBusConnection> m_bus;

    std::unique_ptr<WindAlarms> m_alarms;
    // What the rules were last told: the source running, if any.
    std::optional<WindSource> m_source;
    bool m_listening = false;
    bool m_exampleModeOn = false;
    std::array<QDateTime, windAlarmKindCount> m_raisedAt;
    bool m_refusalReported = false;

    DesktopNotifier *m_notifier = nullptr;
    AlarmCommand *m_command = nullptr; // with a Command only
    AlarmLogWriter *m_log = nullptr; // with the data log only
    AlarmList *m_list = nullptr; // in the history window
    QTimer *m_tick = nullptr; // once a second while the rules need the time
};
