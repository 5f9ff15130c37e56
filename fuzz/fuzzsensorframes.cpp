// SPDX-License-Identifier: MIT
// Bytes from the serial line, cut into reads where the input says, handled
// the way the listening loop handles its receive buffer: each read is
// appended; once both markers are there the first complete frame is taken,
// its checksum judged and its two fields read; then the buffer is trimmed.
// An AppError of these primitives is how they report a frame that does not
// read. A crash, undefined behaviour, a buffer beyond its bound, a frame that
// is not what lay between its markers, or a result that breaks the frame
// format's rules is a finding.
//
// The same reads then go through the reader that listening uses: nothing a
// line carries may end listening, so any error that escapes it is a finding,
// as is a reading that is not a number, a speed above the readable limit or
// a buffer beyond its bound.
//
// Input: byte 0 is the number N of reads described next, two bytes each:
//   - how many bytes of the stream the read brings (0 to 255);
//   - bits 4-6: passes of the loop that find nothing new before the next
//     read; bit 7 set: the read holds its bytes 2^(bits 0-3) times over, so a
//     short input can make a frame longer than the payload limit.
// The rest of the input is the stream; what the N reads leave of it arrives
// as one last read. A seed of a zero byte and then sensor output is one read.

#include "core/apperror.h"
#include "core/sensorframe.h"
#include "core/sensorframereader.h"
#include "core/windspeed.h"
#include "fuzzcheck.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

using Kind = AppError::Kind;

// Room for one frame beyond the payload limit and then some; more would only
// slow every run down.
constexpr qsizetype MaxStreamLength = 3 * MaxSensorPayloadLength / 2;
// A backlog of tiny frames costs one pass each, and each pass copies the
// rest of the buffer; a run is cut short after this many passes, and only
// what it did until then is checked.
constexpr int MaxPasses = 256;
// After a pass that took no frame the buffer holds at most an unfinished
// frame (STX, a payload at the limit, ETX, one checksum digit) or text
// without STX cut to the payload limit.
constexpr qsizetype ReceiveBufferBound = MaxSensorPayloadLength + 3;

struct Read
{
    QString text;
    int idlePasses = 0;
};

std::vector<Read> readsFrom(const uint8_t *data, size_t size)
{
    std::vector<Read> reads;
    if (size == 0)
        return reads;
    const size_t described = std::min<size_t>(data[0], (size - 1) / 2);
    const uint8_t *stream = data + 1 + 2 * described;
    size_t left = size - 1 - 2 * described;
    qsizetype total = 0;

    const auto add = [&](size_t length, int copies, int idlePasses) {
        length = std::min(length, left);
        const QString once
            = QString::fromLatin1(reinterpret_cast<const char *>(stream), qsizetype(length));
        stream += length;
        left -= length;
        Read read;
        read.idlePasses = idlePasses;
        for (int i = 0; i < copies && !once.isEmpty() && total < MaxStreamLength; ++i) {
            const QString part = once.left(MaxStreamLength - total);
            read.text += part;
            total += part.size();
        }
        reads.push_back(read);
    };
    for (size_t i = 0; i < described; ++i) {
        const uint8_t length = data[1 + 2 * i];
        const uint8_t control = data[2 + 2 * i];
        add(length, (control & 0x80) ? 1 << (control & 0x0F) : 1, (control >> 4) & 0x07);
    }
    add(left, 1, 0);
    return reads;
}

bool isHexDigit(QChar c)
{
    return c.unicode() < 0x80 && std::isxdigit(c.unicode());
}

bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// What the frame format promises to read as a number: a sign, digits with at
// most one point, at least one digit; blanks around it are already gone.
bool isPlainDecimal(const QString &text)
{
    qsizetype i = 0;
    if (i < text.size() && (text.at(i) == u'+' || text.at(i) == u'-'))
        ++i;
    qsizetype digits = 0;
    for (; i < text.size() && isDigit(text.at(i)); ++i)
        ++digits;
    if (i < text.size() && text.at(i) == u'.')
        ++i;
    for (; i < text.size() && isDigit(text.at(i)); ++i)
        ++digits;
    return digits > 0 && i == text.size();
}

// The frame is exactly the text between an STX and the ETX that follows it,
// the new buffer is what followed that ETX, and the checksum text is the head
// of the new buffer up to a line end or the next STX.
void checkFrame(const QString &buffer, const SensorFrame &frame)
{
    FUZZ_CHECK(!frame.payload.contains(SensorFrameStart));
    FUZZ_CHECK(!frame.payload.contains(SensorFrameEnd));
    FUZZ_CHECK(frame.payload.size() <= MaxSensorPayloadLength);
    FUZZ_CHECK(buffer.endsWith(frame.newBuffer));
    const QStringView taken = QStringView(buffer).chopped(frame.newBuffer.size());
    FUZZ_CHECK(taken.size() >= frame.payload.size() + 2);
    const QStringView frameText = taken.right(frame.payload.size() + 2);
    FUZZ_CHECK(frameText.front() == SensorFrameStart && frameText.back() == SensorFrameEnd);
    FUZZ_CHECK(frameText.mid(1, frame.payload.size()) == frame.payload);
    FUZZ_CHECK(frame.newBuffer.startsWith(frame.checksumText));
    for (const QChar c : frame.checksumText)
        FUZZ_CHECK(c != SensorFrameStart && c != u'\r' && c != u'\n');
    const qsizetype end = frame.checksumText.size();
    FUZZ_CHECK(end == frame.newBuffer.size() || frame.newBuffer.at(end) == SensorFrameStart
               || frame.newBuffer.at(end) == u'\r' || frame.newBuffer.at(end) == u'\n');
}

// The verdict against the checksum text's value, leading zeros allowed.
bool judgeChecksum(const QString &payload, const QString &checksumText)
{
    int checksum = 0;
    for (const QChar c : payload)
        checksum ^= c.unicode();
    FUZZ_CHECK(sensorChecksum(payload) == checksum);

    QString digits = checksumText.trimmed();
    const bool hex = !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), isHexDigit);
    SensorChecksumVerdict verdict;
    try {
        verdict = verifySensorChecksum(payload, checksumText);
    } catch (const AppError &error) {
        FUZZ_CHECK(!hex && error.kind() == Kind::TypeMismatch);
        throw;
    }
    FUZZ_CHECK(hex);
    while (digits.size() > 1 && digits.startsWith(u'0'))
        digits.remove(0, 1);
    const bool match = digits.size() <= 2 && digits.toInt(nullptr, 16) == checksum;
    FUZZ_CHECK((verdict == SensorChecksumVerdict::Match) == match);
    return match;
}

// The field's value against the C library's reading of the same text.
void readField(const QString &payload, int index)
{
    const QStringList fields = payload.split(u',');
    const QString text = index < fields.size() ? fields.at(index).trimmed() : QString();
    const bool numeric = index < fields.size() && isPlainDecimal(text);
    const double expected = numeric ? std::strtod(text.toLatin1().constData(), nullptr) : 0;

    std::optional<double> value;
    try {
        value = readSensorField(payload, index);
    } catch (const AppError &error) {
        if (index >= fields.size())
            FUZZ_CHECK(error.kind() == Kind::SubscriptOutOfRange);
        else
            FUZZ_CHECK(error.kind() == Kind::Overflow && numeric && std::isinf(expected));
        throw;
    }
    FUZZ_CHECK(index < fields.size());
    FUZZ_CHECK(value.has_value() == numeric);
    if (value) {
        // Below the smallest normal double either reading is fine; the frame
        // format reads such a number as zero.
        FUZZ_CHECK(*value == expected || (std::fabs(expected) < DBL_MIN && *value == 0));
    }
}

void applyFrame(const SensorFrame &frame)
{
    if (!judgeChecksum(frame.payload, frame.checksumText)) {
        // The loop rejects such a frame without reading it; its fields are
        // read here all the same so that every payload reaches the parser.
        try {
            readField(frame.payload, 1);
            readField(frame.payload, 2);
        } catch (const AppError &) { }
        return;
    }
    readField(frame.payload, 1);
    readField(frame.payload, 2);
}

class ListeningRun
{
public:
    // False once the run is too long to finish.
    bool feed(const Read &read)
    {
        pass(read.text);
        for (int i = 0; i < read.idlePasses; ++i)
            pass(QString());
        return m_passes <= MaxPasses;
    }

    // The line goes quiet: the loop goes on taking one frame a pass.
    bool drain()
    {
        while (pass(QString()) && m_passes <= MaxPasses) { }
        return m_passes <= MaxPasses;
    }

    // The payloads taken until the first AppError ended listening.
    const QStringList &payloads() const { return m_payloads; }
    bool halted() const { return m_halted; }

private:
    // One pass; true when it took a frame.
    bool pass(const QString &read)
    {
        ++m_passes;
        const qsizetype before = m_buffer.size();
        m_buffer += read;
        bool took = false;
        try {
            if (m_buffer.contains(SensorFrameStart) && m_buffer.contains(SensorFrameEnd)) {
                const QString buffer = m_buffer;
                std::optional<SensorFrame> frame;
                try {
                    frame = extractSensorFrame(m_buffer);
                } catch (const AppError &error) {
                    FUZZ_CHECK(error.kind() == Kind::Overflow);
                    throw;
                }
                if (frame) {
                    checkFrame(buffer, *frame);
                    m_buffer = frame->newBuffer;
                    took = true;
                    if (!m_halted)
                        m_payloads << frame->payload;
                    applyFrame(*frame);
                }
            }
            trimReceiveBuffer(m_buffer);
        } catch (const AppError &) {
            m_halted = true;
            m_buffer.clear();
            return took;
        }
        FUZZ_CHECK(m_buffer.size() <= before + read.size());
        if (!took)
            FUZZ_CHECK(m_buffer.size() <= ReceiveBufferBound);
        return took;
    }

    QString m_buffer;
    QStringList m_payloads;
    bool m_halted = false;
    int m_passes = 0;
};

bool isFiniteOrAbsent(const std::optional<double> &value)
{
    return !value || std::isfinite(*value);
}

// What listening does with the reads: the reader takes every frame as it
// completes and rejects what does not read; a line that goes quiet at the
// end completes a frame waiting on one checksum digit.
std::vector<WindLineEvent> readAsListening(const std::vector<Read> &reads)
{
    SensorFrameReader reader;
    std::vector<WindLineEvent> events;
    const auto take = [&events](const std::vector<WindLineEvent> &taken) {
        for (const WindLineEvent &event : taken) {
            FUZZ_CHECK(isFiniteOrAbsent(event.reading.directionDegrees));
            FUZZ_CHECK(isFiniteOrAbsent(event.reading.speedMetresPerSecond));
            FUZZ_CHECK(!event.reading.speedMetresPerSecond
                       || *event.reading.speedMetresPerSecond <= MaxReadableMetresPerSecond);
            events.push_back(event);
        }
    };
    try {
        for (const Read &read : reads) {
            take(reader.feed(read.text.toLatin1()));
            FUZZ_CHECK(reader.bufferedSize() <= ReceiveBufferBound);
        }
        if (reader.awaitsQuietLine())
            take(reader.lineWentQuiet());
    } catch (...) {
        FUZZ_CHECK(!"bytes from the line ended listening");
    }
    return events;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // A decimal comma in the user's locale must not change how frames read.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::vector<Read> reads = readsFrom(data, size);
    ListeningRun split;
    QString stream;
    for (const Read &read : reads) {
        if (!split.feed(read))
            return 0;
        stream += read.text;
    }
    if (!split.drain())
        return 0;

    // How the bytes were cut into reads must not change which frames are
    // taken, up to the first error: the checksum text may differ (it runs to
    // whatever has arrived), and with it the verdict, but not the payloads.
    ListeningRun whole;
    if (!whole.feed({stream, 0}) || !whole.drain())
        return 0;
    const QStringList &a = split.payloads();
    const QStringList &b = whole.payloads();
    const qsizetype common = std::min(a.size(), b.size());
    FUZZ_CHECK(a.first(common) == b.first(common));
    if (!split.halted() && !whole.halted())
        FUZZ_CHECK(a.size() == b.size());

    // However the reads were cut, listening sees as many frames.
    FUZZ_CHECK(readAsListening(reads).size() == readAsListening({{stream, 0}}).size());
    return 0;
}
