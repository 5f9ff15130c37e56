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
class AlarmLogWriter;
class DesktopNotifier;
class SettingsFile;
class QTimer;
class WindFeed;
class WindRecorder;
struct WindFeedReading;

// The wind alarms' rules at work, when the settings file's [ALARM] section
// asks for any: fed with every complete reading the feed accepts and told
// when listening or example mode starts and stops; each raise and clear
// goes out as a desktop notification, into the alarm log beside the data
// log when that is on, and to the section's Command. What the user sees of
// them (the compass's ring, the history window's list) follows
// alarmsChanged(). Without the section nothing of this exists and nothing
// runs.
class AlarmMonitor : public QObject
{
    Q_OBJECT

public:
    using Clock = std::function<qint64()>;

    // The clock tells the rules the time between samples; it must be the
    // clock that stamps the feed's samples. The notifications go to the bus
    // given, the session bus when none is.
    AlarmMonitor(const SettingsFile &settings, WindFeed &feed, const WindRecorder &recorder,
                 Clock clock = monotonicMilliseconds,
                 std::optional<QDBusConnection> bus = std::nullopt, QObject *parent = nullptr);
    ~AlarmMonitor() override;

    // Reads [ALARM] and, when any alarm is on, sets everything up; call once
    // the data log has started. Returns one message for each key that cannot
    // be used, naming the key, its value and the file. Throws AppError
    // (FileError) only when the settings file cannot be read.
    QStringList start();
    bool isOn() const { return m_alarms != nullptr; }

    const WindAlarmConfig &config() const { return m_alarms->config(); }
    std::vector<RaisedWindAlarm> raisedAlarms() const;
    // The wall-clock time of each alarm's last raise, by kind.
    const std::array<QDateTime, windAlarmKindCount> &raisedAt() const { return m_raisedAt; }

    void acknowledge(WindAlarmKind kind);
    void acknowledgeAll();

signals:
    // An alarm was raised, cleared or acknowledged, or the figures of the
    // raised ones moved on.
    void alarmsChanged();
    // A command that cannot start, or an alarm log that cannot be written.
    void problem(const QString &message);

private:
    void followSource(std::optional<WindSource> wanted);
    void addSample(const WindFeedReading &reading);
    void take(const std::vector<WindAlarmEvent> &events);
    void tell(const WindAlarmEvent &event);
    void keepTicking();

    const SettingsFile &m_settings;
    WindFeed &m_feed;
    const WindRecorder &m_recorder;
    Clock m_clock;
    std::optional<QDBusConnection> m_bus;

    std::unique_ptr<WindAlarms> m_alarms;
    // What the rules were last told: the source running, if any.
    std::optional<WindSource> m_source;
    std::array<QDateTime, windAlarmKindCount> m_raisedAt;
    bool m_refusalReported = false;

    DesktopNotifier *m_notifier = nullptr;
    AlarmCommand *m_command = nullptr; // with a Command only
    AlarmLogWriter *m_log = nullptr; // with the data log only
    QTimer *m_tick = nullptr; // once a second while the rules need the time
};
