// SPDX-License-Identifier: MIT
#include "core/nmeawindsentence.h"

#include "core/nmeafields.h"
#include "core/nmeamotionsentence.h"
#include "core/windspeed.h"

namespace {

WindLineEvent rejected(NmeaSentenceId sentence)
{
    WindLineEvent event{WindLineEvent::Kind::Rejected, {}, {}};
    event.reading.sentence = sentence;
    return event;
}

bool isReadableSpeed(const std::optional<double> &speed)
{
    return !speed || (*speed >= 0 && *speed <= MaxReadableMetresPerSecond);
}

// Both values, when both read and in range; a rejection when either is out
// of range, whether or not the other reads; nothing otherwise.
void addReading(std::vector<WindLineEvent> &events, NmeaSentenceId sentence, WindKind kind,
                std::optional<double> angle, std::optional<double> speed)
{
    if ((angle && !isNmeaAngle(*angle)) || !isReadableSpeed(speed)) {
        events.push_back(rejected(sentence));
        return;
    }
    if (!angle || !speed)
        return;
    WindLineEvent event{WindLineEvent::Kind::Reading, {}, {}};
    event.reading = WindReading{angle, speed, kind, sentence};
    events.push_back(event);
}

// angle, R (relative) or T (true), speed, unit, status
void readMwv(const NmeaFields &fields, NmeaWind wind, std::vector<WindLineEvent> &events)
{
    if (fields.at(4) != "A")
        return;
    WindKind kind;
    if (fields.at(1) == "R")
        kind = WindKind::Apparent;
    else if (fields.at(1) == "T" && wind == NmeaWind::True)
        kind = WindKind::TrueOffBow;
    else
        return;
    addReading(events, NmeaSentenceId::Mwv, kind, nmeaNumber(fields.at(0)),
               nmeaSpeedMetresPerSecond(fields.at(2), fields.at(3)));
}

// angle 0-180, L (port) or R (starboard), knots N, m/s M, km/h K
void readVwr(const NmeaFields &fields, NmeaWind, std::vector<WindLineEvent> &events)
{
    const bool port = fields.at(1) == "L";
    if (!port && fields.at(1) != "R")
        return;
    std::optional<double> angle = nmeaNumber(fields.at(0));
    if (angle && (*angle < 0 || *angle > 180)) {
        events.push_back(rejected(NmeaSentenceId::Vwr));
        return;
    }
    if (angle && port)
        *angle = 360 - *angle;
    addReading(events, NmeaSentenceId::Vwr, WindKind::Apparent, angle,
               nmeaFirstSpeed(fields, {{4, "M"}, {2, "N"}, {6, "K"}}));
}

// true direction T, magnetic direction M, knots N, m/s M
void readMwd(const NmeaFields &fields, NmeaWind, std::vector<WindLineEvent> &events)
{
    if (fields.at(1) != "T")
        return;
    addReading(events, NmeaSentenceId::Mwd, WindKind::TrueFromNorth, nmeaNumber(fields.at(0)),
               nmeaFirstSpeed(fields, {{6, "M"}, {4, "N"}}));
}

template<void (*read)(const NmeaFields &, std::vector<WindLineEvent> &)>
void motion(const NmeaFields &fields, NmeaWind, std::vector<WindLineEvent> &events)
{
    read(fields, events);
}

struct SentenceReader
{
    char id[4];
    NmeaSentenceId sentence;
    // The winds the sentence serves: it is read, and its checksum judged,
    // only for these, so damaged sentences of no interest never blank the
    // display.
    bool apparent;
    bool trueWind;
    // A wind sentence: a damaged one is rejected; a motion sentence that is
    // damaged is only left unused.
    bool wind;
    void (*read)(const NmeaFields &fields, NmeaWind wind, std::vector<WindLineEvent> &events);
};

constexpr SentenceReader SentenceReaders[] = {
    {"MWV", NmeaSentenceId::Mwv, true, true, true, readMwv},
    {"VWR", NmeaSentenceId::Vwr, true, true, true, readVwr},
    {"MWD", NmeaSentenceId::Mwd, false, true, true, readMwd},
    {"VHW", NmeaSentenceId::Vhw, false, true, false, motion<readNmeaVhw>},
    {"VTG", NmeaSentenceId::Vtg, false, true, false, motion<readNmeaVtg>},
    {"RMC", NmeaSentenceId::Rmc, false, true, false, motion<readNmeaRmc>},
    {"HDT", NmeaSentenceId::Hdt, false, true, false, motion<readNmeaHdt>},
    {"HDG", NmeaSentenceId::Hdg, false, true, false, motion<readNmeaHdg>},
};

const SentenceReader *readerFor(QByteArrayView address, NmeaWind wind)
{
    // Two letters of talker and three of sentence; a 'P' begins a
    // proprietary sentence, whatever follows it.
    if (address.size() != 5 || address.front() == 'P')
        return nullptr;
    for (const char c : address) {
        if (c < 'A' || c > 'Z')
            return nullptr;
    }
    for (const SentenceReader &reader : SentenceReaders) {
        if (address.sliced(2) == reader.id)
            return (wind == NmeaWind::Apparent ? reader.apparent : reader.trueWind) ? &reader
                                                                                    : nullptr;
    }
    return nullptr;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// True when the text after '*' is the body's XOR in two hexadecimal digits.
bool checksumMatches(QByteArrayView body, QByteArrayView checksum)
{
    if (checksum.size() != 2 || hexValue(checksum[0]) < 0 || hexValue(checksum[1]) < 0)
        return false;
    quint8 sum = 0;
    for (const char c : body)
        sum ^= quint8(c);
    return sum == hexValue(checksum[0]) * 16 + hexValue(checksum[1]);
}

} // namespace

void readNmeaWindSentence(QByteArrayView sentence, NmeaWind wind,
                          std::vector<WindLineEvent> &events)
{
    if (sentence.isEmpty() || (sentence.front() != '$' && sentence.front() != '!'))
        return;
    QByteArrayView body = sentence.sliced(1);
    const qsizetype star = body.indexOf('*');
    const bool hasChecksum = star >= 0;
    const QByteArrayView checksum = hasChecksum ? body.sliced(star + 1) : QByteArrayView();
    if (hasChecksum)
        body.truncate(star);

    const qsizetype comma = body.indexOf(',');
    const SentenceReader *reader = readerFor(comma < 0 ? body : body.first(comma), wind);
    if (!reader)
        return;
    if (hasChecksum && !checksumMatches(body, checksum)) {
        if (reader->wind)
            events.push_back(rejected(reader->sentence));
        return;
    }
    if (comma < 0)
        return;
    reader->read(NmeaFields(body.sliced(comma + 1)), wind, events);
}
