// SPDX-License-Identifier: MIT
#pragma once

#include "core/windfigures.h"
#include "core/windreading.h"
#include "core/windsample.h"

#include <optional>

// One reading as the feed hands it on: numbers only. The window makes its
// texts from them in the user's locale; the outputs share the same numbers.
struct WindFeedReading
{
    // The direction and the speed as the display corrected them, stamped on
    // the monotonic clock that the statistics and the alarms follow.
    WindSample sample;
    // When the feed took the reading, in milliseconds since 1970 UTC: the
    // data log's and MQTT's time of it.
    qint64 utcMs = 0;
    // What the display shows of it.
    WindFigures figures;
    WindSource source = WindSource::Sensor;
    // Which wind the direction and the speed are.
    WindKind kind = WindKind::Sensor;
    // For true wind shown from north: its angle off the bow, when known.
    std::optional<double> angleOffBowDegrees;
    // The direction as the input reported it, before any correction: what
    // setting the zero direction starts from. None for example mode and
    // for a reading without a direction.
    std::optional<double> reportedDirectionDegrees;
    // Which values this reading brought; the display keeps the other one.
    // Only a complete reading is recorded or shared.
    bool directionRead = true;
    bool speedRead = true;

    bool isComplete() const { return directionRead && speedRead; }
};

// Which readouts are old: no value of their own for WindFeed::StaleAfterMs
// while listening, or the line is lost. readings: no complete reading for as
// long, which is what the outputs go by.
struct WindStaleness
{
    bool direction = false;
    bool speed = false;
    bool readings = false;

    bool operator==(const WindStaleness &other) const
    {
        return direction == other.direction && speed == other.speed && readings == other.readings;
    }
    bool operator!=(const WindStaleness &other) const { return !(*this == other); }
};
