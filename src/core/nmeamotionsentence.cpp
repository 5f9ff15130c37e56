// SPDX-License-Identifier: MIT
#include "core/nmeamotionsentence.h"

#include "core/winddirection.h"

namespace {

void addMotion(std::vector<WindLineEvent> &events, BoatMotion::Kind kind, double value,
               NmeaSentenceId sentence)
{
    WindLineEvent event{WindLineEvent::Kind::Motion, {}, {}};
    event.motion = BoatMotion{kind, value, sentence};
    events.push_back(event);
}

void addSpeed(std::vector<WindLineEvent> &events, BoatMotion::Kind kind,
              const std::optional<double> &speed, NmeaSentenceId sentence)
{
    if (speed && *speed >= 0 && *speed <= NmeaMaxBoatSpeedMetresPerSecond)
        addMotion(events, kind, *speed, sentence);
}

void addHeading(std::vector<WindLineEvent> &events, const std::optional<double> &heading,
                NmeaSentenceId sentence)
{
    if (heading && isNmeaAngle(*heading))
        addMotion(events, BoatMotion::Kind::TrueHeading, wrappedDegrees(*heading), sentence);
}

// A deviation or variation: degrees up to 180 and the side, E adding to the
// heading and W taking from it.
std::optional<double> eastwardDegrees(QByteArrayView value, QByteArrayView side)
{
    const std::optional<double> degrees = nmeaNumber(value);
    if (!degrees || *degrees < 0 || *degrees > 180)
        return std::nullopt;
    if (side == "E")
        return *degrees;
    if (side == "W")
        return -*degrees;
    return std::nullopt;
}

} // namespace

// true heading, T, magnetic heading, M, knots, N, km/h, K
void readNmeaVhw(const NmeaFields &fields, std::vector<WindLineEvent> &events)
{
    addSpeed(events, BoatMotion::Kind::SpeedThroughWater,
             nmeaFirstSpeed(fields, {{4, "N"}, {6, "K"}}), NmeaSentenceId::Vhw);
    if (fields.at(1) == "T")
        addHeading(events, nmeaNumber(fields.at(0)), NmeaSentenceId::Vhw);
}

// course true, T, course magnetic, M, knots, N, km/h, K, mode
void readNmeaVtg(const NmeaFields &fields, std::vector<WindLineEvent> &events)
{
    if (fields.at(8) == "N")
        return;
    addSpeed(events, BoatMotion::Kind::SpeedOverGround,
             nmeaFirstSpeed(fields, {{4, "N"}, {6, "K"}}), NmeaSentenceId::Vtg);
}

// time, status, latitude, N/S, longitude, E/W, knots, course, date, ...
void readNmeaRmc(const NmeaFields &fields, std::vector<WindLineEvent> &events)
{
    if (fields.at(1) != "A")
        return;
    addSpeed(events, BoatMotion::Kind::SpeedOverGround, nmeaSpeedMetresPerSecond(fields.at(6), "N"),
             NmeaSentenceId::Rmc);
}

// heading, T
void readNmeaHdt(const NmeaFields &fields, std::vector<WindLineEvent> &events)
{
    if (fields.at(1) == "T")
        addHeading(events, nmeaNumber(fields.at(0)), NmeaSentenceId::Hdt);
}

// sensor heading, deviation, E/W, variation, E/W
void readNmeaHdg(const NmeaFields &fields, std::vector<WindLineEvent> &events)
{
    const std::optional<double> sensorHeading = nmeaNumber(fields.at(0));
    const std::optional<double> variation = eastwardDegrees(fields.at(3), fields.at(4));
    if (!sensorHeading || !isNmeaAngle(*sensorHeading) || !variation)
        return;
    // A compass without a deviation table sends none: its heading stands.
    double deviation = 0;
    if (!fields.at(1).isEmpty()) {
        const std::optional<double> given = eastwardDegrees(fields.at(1), fields.at(2));
        if (!given)
            return;
        deviation = *given;
    }
    addMotion(events, BoatMotion::Kind::TrueHeading,
              wrappedDegrees(*sensorHeading + deviation + *variation), NmeaSentenceId::Hdg);
}
