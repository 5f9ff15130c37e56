// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>

#include <optional>
#include <vector>

// What one frame or sentence from a line said about the wind, before the
// display's rules apply. A value the frame did not carry in readable form is
// left out, and the display keeps the one it had.
struct WindReading
{
    std::optional<double> directionDegrees;
    std::optional<double> speedMetresPerSecond;
};

// One thing a line brought: a reading, or a frame or sentence that failed its
// check (the display blanks its speed readouts and stores nothing of it).
struct WindLineEvent
{
    enum class Kind { Reading, Rejected };

    Kind kind = Kind::Reading;
    WindReading reading; // empty for a rejected one
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
