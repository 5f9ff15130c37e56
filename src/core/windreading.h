// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>

#include <optional>
#include <vector>

// Which wind a reading gives, and from where its direction is measured.
enum class WindKind {
    // The sensor's frames: the direction from the vane's mark.
    Sensor,
    // Apparent wind, with the boat's own motion in it; the angle is off the
    // bow, clockwise: MWV with R, VWR.
    Apparent,
    // True wind as an angle off the bow: MWV with T.
    TrueOffBow,
    // True wind as a direction from true north: MWD.
    TrueFromNorth,
};

// The NMEA 0183 sentence an event came from; None for the sensor's frames.
enum class NmeaSentenceId { None, Mwv, Vwr, Mwd, Vhw, Vtg, Rmc, Hdt, Hdg };

// What one frame or sentence from a line said about the wind, before the
// display's rules apply. A value the frame did not carry in readable form is
// left out, and the display keeps the one it had.
struct WindReading
{
    std::optional<double> directionDegrees;
    std::optional<double> speedMetresPerSecond;
    WindKind kind = WindKind::Sensor;
    NmeaSentenceId sentence = NmeaSentenceId::None;

    // Both values were read from this frame or sentence: only such a
    // reading is recorded or shared.
    bool isComplete() const { return directionDegrees && speedMetresPerSecond; }
};

// Where the boat speed for true wind comes from: through the water (VHW,
// else over the ground) or over the ground (VTG, else RMC).
enum class BoatSpeedSource { Water, Ground };

// The boat's own motion, from the sentences that come with apparent wind.
struct BoatMotion
{
    enum class Kind { SpeedThroughWater, SpeedOverGround, TrueHeading };

    Kind kind = Kind::SpeedThroughWater;
    // Metres per second for a speed; degrees from true north for a heading.
    double value = 0;
    NmeaSentenceId sentence = NmeaSentenceId::None;
};

// One thing a line brought: a reading, a frame or sentence that failed its
// check (the display blanks its speed readouts and stores nothing of it), or
// the boat's motion.
struct WindLineEvent
{
    enum class Kind { Reading, Rejected, Motion };

    Kind kind = Kind::Reading;
    WindReading reading; // for a Reading
    BoatMotion motion; // for a Motion
};

// Turns the bytes a line delivers, in whatever pieces they come, into
// events. Pure: no device, no timer. An implementation never throws for
// anything the line may carry: noise, torn or absurd frames are rejected or
// dropped, and its buffer stays bounded.
class WindLineReader
{
public:
    virtual ~WindLineReader() = default;

    // Appends what the line delivered and returns what it completed, in
    // order.
    virtual std::vector<WindLineEvent> feed(QByteArrayView bytes) = 0;

    // True while the reader holds something that only a quiet line
    // completes. The caller then calls lineWentQuiet() once the line has
    // delivered nothing for quietLineMs().
    virtual bool awaitsQuietLine() const { return false; }
    virtual int quietLineMs() const { return 20; }
    virtual std::vector<WindLineEvent> lineWentQuiet() { return {}; }

    // Forgets what is buffered: a new connection starts clean.
    virtual void reset() = 0;
    // Characters buffered and not yet taken, for measurements.
    virtual qsizetype bufferedSize() const = 0;
};
