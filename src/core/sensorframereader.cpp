// SPDX-License-Identifier: MIT
#include "core/sensorframereader.h"

#include "core/apperror.h"
#include "core/sensorframe.h"
#include "core/windspeed.h"

namespace {

WindLineEvent rejected()
{
    return {WindLineEvent::Kind::Rejected, {}, {}};
}

WindLineEvent eventFor(const SensorFrame &frame)
{
    try {
        if (verifySensorChecksum(frame.payload, frame.checksumText)
            == SensorChecksumVerdict::Mismatch)
            return rejected();
        WindReading reading;
        reading.directionDegrees = readSensorField(frame.payload, 1);
        reading.speedMetresPerSecond = readSensorField(frame.payload, 2);
        if (reading.speedMetresPerSecond
            && *reading.speedMetresPerSecond > MaxReadableMetresPerSecond)
            return rejected();
        return {WindLineEvent::Kind::Reading, reading, {}};
    } catch (const AppError &) {
        return rejected();
    }
}

// A frame too long to be one, up to and including the end marker that
// closes it.
void dropOverlongFrame(QString &buffer)
{
    const qsizetype start = buffer.indexOf(SensorFrameStart);
    const qsizetype end = buffer.indexOf(SensorFrameEnd, start + 1);
    buffer.remove(0, end + 1);
}

} // namespace

std::vector<WindLineEvent> SensorFrameReader::feed(QByteArrayView bytes)
{
    m_buffer += QString::fromLatin1(bytes);
    return takeFrames(false);
}

bool SensorFrameReader::awaitsQuietLine() const
{
    return awaitsSecondChecksumDigit(m_buffer);
}

std::vector<WindLineEvent> SensorFrameReader::lineWentQuiet()
{
    return takeFrames(true);
}

void SensorFrameReader::reset()
{
    m_buffer.clear();
}

std::vector<WindLineEvent> SensorFrameReader::takeFrames(bool lineQuiet)
{
    std::vector<WindLineEvent> events;
    const SensorLine line = lineQuiet ? SensorLine::Quiet : SensorLine::MayBringMore;
    for (;;) {
        std::optional<SensorFrame> frame;
        try {
            frame = extractSensorFrame(m_buffer, line);
        } catch (const AppError &) {
            dropOverlongFrame(m_buffer);
            events.push_back(rejected());
            continue;
        }
        if (!frame)
            break;
        m_buffer = frame->newBuffer;
        events.push_back(eventFor(*frame));
    }
    trimReceiveBuffer(m_buffer);
    return events;
}
