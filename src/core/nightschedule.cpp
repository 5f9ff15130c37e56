// SPDX-License-Identifier: MIT
#include "core/nightschedule.h"

bool NightSchedule::isNightAt(QTime time) const
{
    if (from <= to)
        return from <= time && time < to;
    return time >= from || time < to;
}

QTime NightSchedule::nextSwitchAfter(QTime time) const
{
    return isNightAt(time) ? to : from;
}

NightSwitch::NightSwitch(bool night, std::optional<NightSchedule> schedule)
    : m_night(night)
    , m_schedule(schedule)
{ }

bool NightSwitch::checkClock(QTime now)
{
    if (!m_schedule)
        return false;
    const bool scheduled = m_schedule->isNightAt(now);
    if (m_scheduledNight == scheduled)
        return false;
    m_scheduledNight = scheduled;
    if (m_night == scheduled)
        return false;
    m_night = scheduled;
    return true;
}
