// SPDX-License-Identifier: MIT
#include "core/windchoice.h"

#include "core/truewind.h"
#include "core/winddirection.h"

namespace {

const char SpeedThroughWater[] = "speed through water";
const char SpeedOverGround[] = "speed over ground";

ChosenWind chosen(const WindReading &reading, const QString &description)
{
    return {reading, std::nullopt, description};
}

} // namespace

WindChoice::WindChoice(NmeaWind wind, BoatSpeedSource boatSpeed)
    : m_wind(wind)
    , m_boatSpeed(boatSpeed)
{ }

std::optional<ChosenWind> WindChoice::take(const WindLineEvent &event, qint64 nowMs)
{
    if (event.kind == WindLineEvent::Kind::Motion) {
        takeMotion(event.motion, nowMs);
        return std::nullopt;
    }
    const WindReading &reading = event.reading;
    if (event.kind != WindLineEvent::Kind::Reading || !reading.isComplete())
        return std::nullopt;
    switch (reading.kind) {
    case WindKind::Apparent:
        return takeApparent(reading, nowMs);
    case WindKind::TrueOffBow:
        if (m_wind == NmeaWind::True)
            return takeTrueOffBow(reading, nowMs);
        break;
    case WindKind::TrueFromNorth:
        if (m_wind == NmeaWind::True)
            return takeTrueFromNorth(reading, nowMs);
        break;
    case WindKind::Sensor:
        break;
    }
    return std::nullopt;
}

QString WindChoice::missing(qint64 nowMs) const
{
    if (m_wind == NmeaWind::Apparent)
        return {};
    const QString noHeading = QStringLiteral("no heading: HDT, HDG or VHW missing");
    if (instrumentTrueWindIsFresh(nowMs)) {
        // MWV with T needs the heading for a direction from north; MWD
        // carries one.
        return isFresh(m_seen.mwd, nowMs) || heading(nowMs) ? QString() : noHeading;
    }
    if (!isFresh(m_seen.apparentAny, nowMs))
        return {};
    if (!boatSpeed(nowMs)) {
        return m_boatSpeed == BoatSpeedSource::Water
            ? QStringLiteral("no boat speed: VHW, VTG or RMC missing")
            : QStringLiteral("no boat speed: VTG or RMC missing");
    }
    return heading(nowMs) ? QString() : noHeading;
}

void WindChoice::reset()
{
    m_seen = Seen();
}

std::optional<ChosenWind> WindChoice::takeApparent(const WindReading &reading, qint64 nowMs)
{
    const bool mwv = reading.sentence == NmeaSentenceId::Mwv;
    // VWR is the older sentence; a server that sends both sends the same
    // wind twice.
    if (!mwv && isFresh(m_seen.apparentMwv, nowMs))
        return std::nullopt;
    if (mwv)
        m_seen.apparentMwv = Timed{nowMs, 0};
    m_seen.apparentAny = Timed{nowMs, 0};
    if (m_wind == NmeaWind::True)
        return trueFromApparent(reading, nowMs);
    return chosen(reading,
                  mwv ? QStringLiteral("apparent wind from MWV")
                      : QStringLiteral("apparent wind from VWR"));
}

std::optional<ChosenWind> WindChoice::trueFromApparent(const WindReading &reading,
                                                       qint64 nowMs) const
{
    if (instrumentTrueWindIsFresh(nowMs))
        return std::nullopt;
    const std::optional<Source> speed = boatSpeed(nowMs);
    if (!speed)
        return std::nullopt;

    const TrueWindOffBow trueWind
        = trueWindOffBow(*reading.directionDegrees, *reading.speedMetresPerSecond, speed->value);
    const double offBow = wrappedDegrees(trueWind.angleDegrees);
    ChosenWind result;
    result.reading.speedMetresPerSecond = trueWind.speedMetresPerSecond;
    result.reading.sentence = reading.sentence;
    if (const std::optional<Source> bow = heading(nowMs)) {
        result.reading.kind = WindKind::TrueFromNorth;
        result.reading.directionDegrees = trueWindDirection(bow->value, trueWind.angleDegrees);
        result.angleOffBowDegrees = offBow;
        result.description = QStringLiteral("true wind from apparent wind, %1 and %2")
                                 .arg(QLatin1String(speed->name), QLatin1String(bow->name));
    } else {
        result.reading.kind = WindKind::TrueOffBow;
        result.reading.directionDegrees = offBow;
        result.description = QStringLiteral("true wind angle off the bow from apparent wind and %1")
                                 .arg(QLatin1String(speed->name));
    }
    return result;
}

std::optional<ChosenWind> WindChoice::takeTrueOffBow(const WindReading &reading, qint64 nowMs)
{
    m_seen.trueMwv = Timed{nowMs, wrappedDegrees(*reading.directionDegrees)};
    if (isFresh(m_seen.mwd, nowMs))
        return std::nullopt;
    const std::optional<Source> bow = heading(nowMs);
    if (!bow)
        return chosen(reading, QStringLiteral("true wind angle off the bow from MWV"));
    ChosenWind result = chosen(
        reading, QStringLiteral("true wind from MWV and %1").arg(QLatin1String(bow->name)));
    result.reading.kind = WindKind::TrueFromNorth;
    result.reading.directionDegrees = trueWindDirection(bow->value, m_seen.trueMwv->value);
    result.angleOffBowDegrees = m_seen.trueMwv->value;
    return result;
}

ChosenWind WindChoice::takeTrueFromNorth(const WindReading &reading, qint64 nowMs)
{
    m_seen.mwd = Timed{nowMs, *reading.directionDegrees};
    ChosenWind result = chosen(reading, QStringLiteral("true wind from MWD"));
    // The instrument's own angle off the bow where it sends one; else the
    // heading gives it.
    if (isFresh(m_seen.trueMwv, nowMs))
        result.angleOffBowDegrees = m_seen.trueMwv->value;
    else if (const std::optional<Source> bow = heading(nowMs))
        result.angleOffBowDegrees = wrappedDegrees(*reading.directionDegrees - bow->value);
    return result;
}

void WindChoice::takeMotion(const BoatMotion &motion, qint64 nowMs)
{
    const Timed seen{nowMs, motion.value};
    switch (motion.kind) {
    case BoatMotion::Kind::SpeedThroughWater:
        m_seen.speedThroughWater = seen;
        break;
    case BoatMotion::Kind::SpeedOverGround:
        (motion.sentence == NmeaSentenceId::Rmc ? m_seen.rmcSpeed : m_seen.vtgSpeed) = seen;
        break;
    case BoatMotion::Kind::TrueHeading:
        if (motion.sentence == NmeaSentenceId::Hdg)
            m_seen.hdgHeading = seen;
        else if (motion.sentence == NmeaSentenceId::Vhw)
            m_seen.vhwHeading = seen;
        else
            m_seen.hdtHeading = seen;
        break;
    }
}

bool WindChoice::isFresh(const std::optional<Timed> &seen, qint64 nowMs) const
{
    return seen && nowMs - seen->atMs <= FreshForMs;
}

bool WindChoice::instrumentTrueWindIsFresh(qint64 nowMs) const
{
    return isFresh(m_seen.mwd, nowMs) || isFresh(m_seen.trueMwv, nowMs);
}

std::optional<WindChoice::Source> WindChoice::boatSpeed(qint64 nowMs) const
{
    if (m_boatSpeed == BoatSpeedSource::Water && isFresh(m_seen.speedThroughWater, nowMs))
        return Source{m_seen.speedThroughWater->value, SpeedThroughWater};
    for (const std::optional<Timed> *overGround : {&m_seen.vtgSpeed, &m_seen.rmcSpeed}) {
        if (isFresh(*overGround, nowMs))
            return Source{(*overGround)->value, SpeedOverGround};
    }
    return std::nullopt;
}

std::optional<WindChoice::Source> WindChoice::heading(qint64 nowMs) const
{
    const std::pair<const std::optional<Timed> *, const char *> headings[] = {
        {&m_seen.hdtHeading, "HDT"},
        {&m_seen.hdgHeading, "HDG"},
        {&m_seen.vhwHeading, "VHW"},
    };
    for (const auto &[seen, name] : headings) {
        if (isFresh(*seen, nowMs))
            return Source{(*seen)->value, name};
    }
    return std::nullopt;
}
