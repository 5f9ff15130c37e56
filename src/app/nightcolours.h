// SPDX-License-Identifier: MIT
#pragma once

#include "feed/addon.h"

#include "core/nightschedule.h"
#include "widgets/colourscheme.h"

#include <QObject>
#include <QStringList>
#include <QTime>

#include <functional>
#include <optional>

class HistoryWindow;
class QAction;
class QTimer;
class SettingsFile;
class WindWindow;

// Night colours for every window of the application, attached from outside:
// the checkable action "Night Colours" (Ctrl+N) in the main window's context
// menu, the choice kept in [VIEW] Night at close, and [VIEW] NightFrom and
// NightTo switching by the clock, checked once a minute; a choice from the
// menu holds until the clock's next switch. The one place that switches the
// scheme: the application's palette for Qt's own widgets and message boxes,
// and the colours the windows set themselves.
class NightColours : public QObject, public AddOn
{
    Q_OBJECT

public:
    using TimeOfDay = std::function<QTime()>;

    // nightRequested (--night) shows night colours from the start;
    // timeOfDay tells the local time, and a test may give another clock.
    NightColours(SettingsFile &settings, WindWindow &window, HistoryWindow &history,
                 bool nightRequested = false, TimeOfDay timeOfDay = &QTime::currentTime,
                 QObject *parent = nullptr);
    ~NightColours() override;

    // Reads [VIEW] and shows the colours it asks for, night as well when
    // requested; call once the window has read its settings, before it is
    // shown. Returns one message for each key that cannot be used. Throws
    // AppError (FileError) only when the file cannot be read.
    QStringList start() override;

    bool isNight() const;
    // As the menu does: holds until the clock's next switch.
    void setNight(bool night);
    // The clock's say, once a minute from a timer while a schedule is set.
    void checkClock();

    QAction *action() const { return m_action; }

private:
    void show();

    WindWindow &m_window;
    SettingsFile &m_settings;
    HistoryWindow &m_history;
    TimeOfDay m_timeOfDay;
    bool m_nightRequested = false;
    std::optional<NightSwitch> m_switch;
    std::optional<ColourScheme> m_shown;
    QAction *m_action = nullptr;
    QTimer *m_clockTimer = nullptr;
};
