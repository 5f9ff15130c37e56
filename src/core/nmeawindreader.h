// SPDX-License-Identifier: MIT
#pragma once

#include "core/nmeawindsentence.h"
#include "core/windreading.h"

#include <QByteArray>

// Reads NMEA 0183 wind sentences from a line, in whatever pieces the line
// delivers them. Lines end with CR LF, LF or CR. A line is read from its last
// '$' or '!' on, so that noise before a sentence (a stream joined in the
// middle, a torn sentence) does not cost the sentence after it; a line
// without one is dropped, and so is a sentence longer than the standard's
// 82 characters (line end included), which no instrument sends: it is noise
// or two sentences that lost their line end.
//
// At most that one sentence is held, so the buffer stays bounded whatever
// arrives: a line that never ends, binary noise, a wrong baud rate.
//
// Every sentence the chosen wind reads is passed on; which of them the
// display shows is the wind choice's business (core/windchoice.h).
class NmeaWindReader final : public WindLineReader
{
public:
    // The most a sentence holds from its '$' to its line end.
    static constexpr qsizetype MaxSentenceLength = 80;

    explicit NmeaWindReader(NmeaWind wind);

    std::vector<WindLineEvent> feed(QByteArrayView bytes) override;
    void reset() override;
    qsizetype bufferedSize() const override { return m_sentence.size(); }

private:
    void takeSentence(std::vector<WindLineEvent> &events);

    NmeaWind m_wind;
    // The current line from its last '$' or '!'; empty while the line has
    // none (or its sentence grew too long).
    QByteArray m_sentence;
};
