// SPDX-License-Identifier: MIT
#include "core/nmeawindsentence.h"

#include <QVarLengthArray>

namespace {

// The fields after the address ("IIMWV"), counted from 0. A field beyond
// the sentence's end reads as empty.
class Fields
{
public:
    explicit Fields(QByteArrayView body)
    {
        for (qsizetype start = 0;;) {
            const qsizetype comma = body.indexOf(',', start);
            m_fields.append(body.sliced(start, (comma < 0 ? body.size() : comma) - start));
            if (comma < 0)
                break;
            start = comma + 1;
        }
    }

    QByteArrayView at(qsizetype index) const
    {
        return index < m_fields.size() ? m_fields.at(index) : QByteArrayView();
    }

private:
    QVarLengthArray<QByteArrayView, 12> m_fields;
};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Digits with at most one point, at least one digit: what these fields
// hold. A sentence's length keeps the value finite.
std::optional<double> number(QByteArrayView field)
{
    qsizetype digits = 0;
    qsizetype points = 0;
    for (const char c : field) {
        if (isDigit(c))
            ++digits;
        else if (c == '.')
            ++points;
        else
            return std::nullopt;
    }
    if (digits == 0 || points > 1)
        return std::nullopt;
    return field.toDouble();
}

std::optional<double> speedMetresPerSecond(QByteArrayView value, QByteArrayView unit)
{
    const std::optional<double> speed = number(value);
    if (!speed)
        return std::nullopt;
    if (unit == "M")
        return *speed;
    if (unit == "N")
        return *speed * NmeaMetresPerSecondPerKnot;
    if (unit == "K")
        return *speed * NmeaMetresPerSecondPerKmh;
    return std::nullopt;
}

// The first of the listed speeds (a value's field and the unit letter that
// must follow it) that the sentence carries.
std::optional<double> firstSpeed(const Fields &fields,
                                 std::initializer_list<std::pair<int, const char *>> candidates)
{
    for (const auto &[index, unit] : candidates) {
        if (fields.at(index + 1) != unit)
            continue;
        if (const std::optional<double> speed
            = speedMetresPerSecond(fields.at(index), fields.at(index + 1)))
            return speed;
    }
    return std::nullopt;
}

std::optional<WindReading> bothOrNothing(std::optional<double> direction,
                                         std::optional<double> speed)
{
    if (!direction || !speed)
        return std::nullopt;
    return WindReading{direction, speed};
}

// angle, R (relative) or T (true), speed, unit, status
std::optional<WindReading> readMwv(const Fields &fields, NmeaWind wind)
{
    if (fields.at(1) != (wind == NmeaWind::Apparent ? "R" : "T") || fields.at(4) != "A")
        return std::nullopt;
    return bothOrNothing(number(fields.at(0)), speedMetresPerSecond(fields.at(2), fields.at(3)));
}

// angle 0-180, L (port) or R (starboard), knots N, m/s M, km/h K
std::optional<WindReading> readVwr(const Fields &fields, NmeaWind)
{
    std::optional<double> angle = number(fields.at(0));
    if (!angle || *angle > 180)
        return std::nullopt;
    if (fields.at(1) == "L")
        *angle = 360 - *angle;
    else if (fields.at(1) != "R")
        return std::nullopt;
    return bothOrNothing(angle, firstSpeed(fields, {{4, "M"}, {2, "N"}, {6, "K"}}));
}

// true direction T, magnetic direction M, knots N, m/s M
std::optional<WindReading> readMwd(const Fields &fields, NmeaWind)
{
    if (fields.at(1) != "T")
        return std::nullopt;
    return bothOrNothing(number(fields.at(0)), firstSpeed(fields, {{6, "M"}, {4, "N"}}));
}

struct SentenceReader
{
    char id[4];
    // The winds the sentence can carry: its checksum is judged only for
    // these, so damaged sentences of no interest never blank the display.
    bool apparent;
    bool trueWind;
    std::optional<WindReading> (*read)(const Fields &fields, NmeaWind wind);
};

constexpr SentenceReader SentenceReaders[] = {
    {"MWV", true, true, readMwv},
    {"VWR", true, false, readVwr},
    {"MWD", false, true, readMwd},
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
    if (isDigit(c))
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

std::optional<WindLineEvent> readNmeaWindSentence(QByteArrayView sentence, NmeaWind wind)
{
    if (sentence.isEmpty() || (sentence.front() != '$' && sentence.front() != '!'))
        return std::nullopt;
    QByteArrayView body = sentence.sliced(1);
    const qsizetype star = body.indexOf('*');
    const bool hasChecksum = star >= 0;
    const QByteArrayView checksum = hasChecksum ? body.sliced(star + 1) : QByteArrayView();
    if (hasChecksum)
        body.truncate(star);

    const qsizetype comma = body.indexOf(',');
    const SentenceReader *reader = readerFor(comma < 0 ? body : body.first(comma), wind);
    if (!reader)
        return std::nullopt;
    if (hasChecksum && !checksumMatches(body, checksum))
        return WindLineEvent{WindLineEvent::Kind::Rejected, {}};
    if (comma < 0)
        return std::nullopt;
    const std::optional<WindReading> reading = reader->read(Fields(body.sliced(comma + 1)), wind);
    if (!reading)
        return std::nullopt;
    return WindLineEvent{WindLineEvent::Kind::Reading, *reading};
}
