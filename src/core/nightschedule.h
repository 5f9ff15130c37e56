// SPDX-License-Identifier: MIT
#pragma once

#include <QTime>

#include <optional>

// The clock's say on night colours: night from `from` up to (not including)
// `to`, local time. A span across midnight (21:00 to 06:30) is night in the
// evening and in the morning.
struct NightSchedule
{
    QTime from;
    QTime to;

    bool isNightAt(QTime time) const;
    // The next time of day, after time, at which the schedule switches.
    QTime nextSwitchAfter(QTime time) const;
};

// Night colours on or off, as the clock and the user decide together: the
// clock switches at its times, and a choice made in between (the menu, the
// command line) holds until the clock's next switch.
class NightSwitch
{
public:
    // night: the choice kept from the last run. A schedule takes over at the
    // first checkClock().
    NightSwitch(bool night, std::optional<NightSchedule> schedule);

    bool isNight() const { return m_night; }
    void setByUser(bool night) { m_night = night; }

    // Called at start and then once a minute; true when the colours changed.
    bool checkClock(QTime now);

private:
    bool m_night;
    std::optional<NightSchedule> m_schedule;
    // What the schedule said at the last check, to see it switch.
    std::optional<bool> m_scheduledNight;
};
