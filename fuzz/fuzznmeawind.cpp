// SPDX-License-Identifier: MIT
// Bytes from an NMEA 0183 input through the wind line reader, once in one
// piece and once cut into pieces at random places. A crash, undefined
// behaviour, a buffer beyond one sentence, a reading without both values or
// with a value out of range or not finite, the boat's motion out of range,
// events that depend on how the bytes were cut, or events other than those
// of the stream's lines read one by one is a finding.
//
// Input: byte 0 holds flags: bit 0 reads the true wind instead of the
// apparent one. Byte 1 seeds the places where the stream is cut. The rest is
// the stream.

#include "core/nmeamotionsentence.h"
#include "core/nmeawindreader.h"
#include "core/windspeed.h"
#include "fuzzcheck.h"

#include <cstdint>
#include <vector>

namespace {

constexpr size_t HeaderSize = 2;

bool sameEvents(const std::vector<WindLineEvent> &a, const std::vector<WindLineEvent> &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const WindReading &x = a[i].reading;
        const WindReading &y = b[i].reading;
        if (a[i].kind != b[i].kind || x.directionDegrees != y.directionDegrees
            || x.speedMetresPerSecond != y.speedMetresPerSecond || x.kind != y.kind
            || x.sentence != y.sentence || a[i].motion.kind != b[i].motion.kind
            || a[i].motion.value != b[i].motion.value
            || a[i].motion.sentence != b[i].motion.sentence)
            return false;
    }
    return true;
}

void checkEvent(const WindLineEvent &event)
{
    const WindReading &reading = event.reading;
    switch (event.kind) {
    case WindLineEvent::Kind::Rejected:
        FUZZ_CHECK(!reading.directionDegrees && !reading.speedMetresPerSecond);
        FUZZ_CHECK(reading.sentence != NmeaSentenceId::None);
        return;
    case WindLineEvent::Kind::Reading:
        FUZZ_CHECK(reading.isComplete() && reading.sentence != NmeaSentenceId::None);
        FUZZ_CHECK(*reading.directionDegrees >= 0 && *reading.directionDegrees <= 360);
        FUZZ_CHECK(*reading.speedMetresPerSecond >= 0
                   && *reading.speedMetresPerSecond <= MaxReadableMetresPerSecond);
        return;
    case WindLineEvent::Kind::Motion: {
        const BoatMotion &motion = event.motion;
        FUZZ_CHECK(motion.sentence != NmeaSentenceId::None);
        if (motion.kind == BoatMotion::Kind::TrueHeading)
            FUZZ_CHECK(motion.value >= 0 && motion.value < 360);
        else
            FUZZ_CHECK(motion.value >= 0 && motion.value <= NmeaMaxBoatSpeedMetresPerSecond);
        return;
    }
    }
    FUZZ_CHECK(!"an event of no known kind");
}

void feedChecked(NmeaWindReader &reader, QByteArrayView bytes, std::vector<WindLineEvent> &events)
{
    const std::vector<WindLineEvent> more = reader.feed(bytes);
    FUZZ_CHECK(reader.bufferedSize() <= NmeaWindReader::MaxSentenceLength);
    events.insert(events.end(), more.begin(), more.end());
}

// The stream read line by line, without any buffer carried between reads:
// each complete line from its last '$' or '!', if it has one and is short
// enough.
std::vector<WindLineEvent> lineByLine(QByteArrayView stream, NmeaWind wind)
{
    std::vector<WindLineEvent> events;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < stream.size(); ++i) {
        if (stream[i] != '\r' && stream[i] != '\n')
            continue;
        const QByteArrayView line = stream.sliced(lineStart, i - lineStart);
        lineStart = i + 1;
        const qsizetype start = std::max(line.lastIndexOf('$'), line.lastIndexOf('!'));
        if (start < 0 || line.size() - start > NmeaWindReader::MaxSentenceLength)
            continue;
        readNmeaWindSentence(line.sliced(start), wind, events);
    }
    return events;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < HeaderSize)
        return 0;
    const NmeaWind wind = (data[0] & 1) ? NmeaWind::True : NmeaWind::Apparent;
    quint32 random = 0x9E3779B9u ^ data[1];
    const QByteArrayView stream(reinterpret_cast<const char *>(data + HeaderSize),
                                qsizetype(size - HeaderSize));

    NmeaWindReader whole(wind);
    std::vector<WindLineEvent> wholeEvents;
    feedChecked(whole, stream, wholeEvents);
    for (const WindLineEvent &event : wholeEvents)
        checkEvent(event);
    FUZZ_CHECK(sameEvents(wholeEvents, lineByLine(stream, wind)));

    // Pieces of 0 to 127 bytes: the reader's 80 and a line end fall inside
    // one piece as often as across two.
    NmeaWindReader split(wind);
    std::vector<WindLineEvent> splitEvents;
    for (qsizetype at = 0; at < stream.size();) {
        random = random * 1664525u + 1013904223u;
        const qsizetype length = std::min<qsizetype>((random >> 24) & 0x7F, stream.size() - at);
        feedChecked(split, stream.sliced(at, length), splitEvents);
        at += length;
    }
    FUZZ_CHECK(sameEvents(wholeEvents, splitEvents));
    FUZZ_CHECK(whole.bufferedSize() == split.bufferedSize());

    split.reset();
    FUZZ_CHECK(split.bufferedSize() == 0);
    return 0;
}
