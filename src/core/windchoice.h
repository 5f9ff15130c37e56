// SPDX-License-Identifier: MIT
#pragma once

#include "core/nmeawindsentence.h"
#include "core/windreading.h"

#include <QString>

#include <optional>

// The wind the display shows, out of what an NMEA 0183 input brings.
struct ChosenWind
{
    // Complete; its kind is the wind shown, its sentence the wind sentence
    // it came from (for true wind worked out here: the apparent wind's).
    WindReading reading;
    // For true wind from north: its angle off the bow, clockwise, in
    // [0, 360), when known, for the outputs that send both.
    std::optional<double> angleOffBowDegrees;
    // Which wind it is, in a few words, for the link health and the
    // compass's accessible description: "apparent wind from MWV", "true wind
    // from MWD", "true wind from apparent wind, speed through water and HDT".
    QString description;
};

// Chooses, sentence by sentence, the one wind the display shows, so that an
// input that sends each wind in two sentences (boat servers send apparent
// wind as MWV and VWR, true wind as MWD and MWV) gives one reading per
// update, and works out true wind from apparent wind where the instrument
// does not send it. Pure: the caller gives each event's time on a monotonic
// clock, and nothing here waits.
//
// Apparent wind: MWV when it comes; VWR only when no MWV came within
// FreshForMs.
//
// True wind: the instrument's own first, MWD when it comes; MWV with T only
// when no MWD came within FreshForMs. MWV with T is turned into a direction
// from north with a heading when there is one, and is shown as the angle off
// the bow without. Where neither came within FreshForMs, each apparent wind
// (chosen as above) is turned into true wind with the boat's speed and
// heading (core/truewind.h):
//   - boat speed: through the water (VHW), else over the ground (VTG, else
//     RMC), or over the ground only, as BoatSpeedSource says;
//   - heading: HDT, else HDG (with its variation), else VHW's;
//   - any of them older than FreshForMs is not used. Without a heading the
//     true angle off the bow is shown; without a boat speed nothing is, and
//     missing() says which sentence is needed.
class WindChoice
{
public:
    // How long a sentence stands for its wind or the boat's motion.
    static constexpr qint64 FreshForMs = 5000;

    explicit WindChoice(NmeaWind wind, BoatSpeedSource boatSpeed = BoatSpeedSource::Water);

    // What the display shows for this event at nowMs (milliseconds on a
    // monotonic clock, never going back), if anything: a reading that is
    // not chosen, the boat's motion and a rejected sentence give nothing (a
    // rejection is the caller's to count and show, as for any input).
    std::optional<ChosenWind> take(const WindLineEvent &event, qint64 nowMs);

    // What keeps the true wind from being shown as a direction from north,
    // for the link health: "no boat speed: VHW, VTG or RMC missing", "no
    // heading: HDT, HDG or VHW missing". Empty when nothing is missing, for
    // the apparent wind, and while no wind sentence came within FreshForMs.
    QString missing(qint64 nowMs) const;

    // Forgets every sentence: a new stream (a server restarted, listening
    // started) is chosen from afresh.
    void reset();

private:
    struct Timed
    {
        qint64 atMs = 0;
        double value = 0;
    };
    // The latest value and time of each thing a choice looks back on.
    struct Seen
    {
        std::optional<Timed> apparentMwv;
        std::optional<Timed> apparentAny;
        std::optional<Timed> mwd;
        std::optional<Timed> trueMwv; // its angle off the bow
        std::optional<Timed> speedThroughWater;
        std::optional<Timed> vtgSpeed;
        std::optional<Timed> rmcSpeed;
        std::optional<Timed> hdtHeading;
        std::optional<Timed> hdgHeading;
        std::optional<Timed> vhwHeading;
    };
    struct Source
    {
        double value = 0;
        const char *name = "";
    };

    std::optional<ChosenWind> takeApparent(const WindReading &reading, qint64 nowMs);
    std::optional<ChosenWind> trueFromApparent(const WindReading &reading, qint64 nowMs) const;
    std::optional<ChosenWind> takeTrueOffBow(const WindReading &reading, qint64 nowMs);
    ChosenWind takeTrueFromNorth(const WindReading &reading, qint64 nowMs);
    void takeMotion(const BoatMotion &motion, qint64 nowMs);

    bool isFresh(const std::optional<Timed> &seen, qint64 nowMs) const;
    bool instrumentTrueWindIsFresh(qint64 nowMs) const;
    std::optional<Source> boatSpeed(qint64 nowMs) const;
    std::optional<Source> heading(qint64 nowMs) const;

    NmeaWind m_wind;
    BoatSpeedSource m_boatSpeed;
    Seen m_seen;
};
