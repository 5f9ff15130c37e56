// SPDX-License-Identifier: MIT
#include "core/nmeawindreader.h"

#include "core/nmeasentence.h"

static_assert(NmeaWindReader::MaxSentenceLength == NmeaMaxSentenceLength - 2,
              "a sentence and its CR LF fit the standard's length");

NmeaWindReader::NmeaWindReader(NmeaWind wind)
    : m_wind(wind)
{
    m_sentence.reserve(MaxSentenceLength);
}

std::vector<WindLineEvent> NmeaWindReader::feed(QByteArrayView bytes)
{
    std::vector<WindLineEvent> events;
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') {
            if (!m_sentence.isEmpty()) {
                takeSentence(events);
                m_sentence.resize(0);
            }
        } else if (c == '$' || c == '!') {
            m_sentence.resize(0);
            m_sentence.append(c);
        } else if (!m_sentence.isEmpty()) {
            // Once too long the sentence is given up; the rest of the line
            // is dropped unless another '$' or '!' starts over.
            if (m_sentence.size() < MaxSentenceLength)
                m_sentence.append(c);
            else
                m_sentence.resize(0);
        }
    }
    return events;
}

void NmeaWindReader::reset()
{
    m_sentence.resize(0);
}

void NmeaWindReader::takeSentence(std::vector<WindLineEvent> &events)
{
    readNmeaWindSentence(m_sentence, m_wind, events);
}
