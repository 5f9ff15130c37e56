// SPDX-License-Identifier: MIT
#include "core/sensorframe.h"

#include "core/apperror.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

enum class FrameState { None, AwaitingChecksum, Complete };

struct FrameLocation
{
    FrameState state = FrameState::None;
    qsizetype start = -1; // the STX
    qsizetype end = -1; // the ETX
    int checksumDigits = 0; // received so far, while the state is AwaitingChecksum
};

int hexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// The first ETX that follows an STX closes the frame that began at the last
// STX before it. An ETX with no STX before it is the tail of a frame whose
// start was never received; an STX with no ETX before the next STX is a frame
// whose end was lost. Both are skipped rather than mixed into the frame.
FrameLocation locateFrame(const QString &buffer, SensorLine line)
{
    FrameLocation frame;
    const qsizetype firstStart = buffer.indexOf(SensorFrameStart);
    if (firstStart < 0)
        return frame;
    frame.end = buffer.indexOf(SensorFrameEnd, firstStart + 1);
    if (frame.end < 0)
        return frame;
    frame.start = buffer.lastIndexOf(SensorFrameStart, frame.end);

    // The sensor writes two digits right after the ETX. Until both have
    // arrived, or something that cannot continue them, the checksum text is
    // incomplete; reading it now would report a missing or wrong checksum.
    // A sensor that writes a small checksum as one digit and no line end
    // sends nothing more: once the line has gone quiet, one digit is all.
    int digits = 0;
    for (qsizetype i = frame.end + 1; i < buffer.size(); ++i) {
        if (hexDigitValue(buffer.at(i)) < 0 || ++digits == 2) {
            frame.state = FrameState::Complete;
            return frame;
        }
    }
    frame.state = digits == 1 && line == SensorLine::Quiet ? FrameState::Complete
                                                           : FrameState::AwaitingChecksum;
    frame.checksumDigits = digits;
    return frame;
}

bool endsChecksumText(QChar c)
{
    return c == SensorFrameStart || c == u'\r' || c == u'\n';
}

// Frames carry control characters and may be long; a message box shows them
// readably and shortened.
QString quoted(const QString &text)
{
    constexpr qsizetype MaxShown = 40;
    QString shown;
    for (qsizetype i = 0; i < text.size() && i < MaxShown; ++i) {
        const char16_t u = text.at(i).unicode();
        if (u == 0x02)
            shown += QStringLiteral("<STX>");
        else if (u == 0x03)
            shown += QStringLiteral("<ETX>");
        else if (u == u'\r')
            shown += QStringLiteral("<CR>");
        else if (u == u'\n')
            shown += QStringLiteral("<LF>");
        else if (u < 0x20 || (u >= 0x7F && u < 0xA0))
            shown += QStringLiteral("<%1>").arg(uint(u), 2, 16, QLatin1Char('0')).toUpper();
        else
            shown += QChar(u);
    }
    if (text.size() > MaxShown)
        shown += QStringLiteral("...");
    return u'"' + shown + u'"';
}

[[noreturn]] void fail(AppError::Kind kind, const QString &what)
{
    throw AppError(kind, AppError::kindName(kind) + QStringLiteral(": ") + what);
}

} // namespace

std::optional<SensorFrame> extractSensorFrame(const QString &buffer, SensorLine line)
{
    const FrameLocation frame = locateFrame(buffer, line);
    if (frame.state == FrameState::None)
        return std::nullopt;

    // Reported as soon as the ETX is there: the checksum cannot save the frame.
    const qsizetype length = frame.end - frame.start - 1;
    if (length > MaxSensorPayloadLength)
        fail(AppError::Kind::Overflow,
             QStringLiteral("the frame's text is longer than %1 characters")
                 .arg(MaxSensorPayloadLength));
    if (frame.state == FrameState::AwaitingChecksum)
        return std::nullopt;

    SensorFrame result;
    result.payload = buffer.mid(frame.start + 1, length);
    result.newBuffer = buffer.mid(frame.end + 1);
    // The line end is not part of the checksum, and ending the text there
    // keeps noise that follows a line end out of the verdict.
    qsizetype textLength = 0;
    while (textLength < result.newBuffer.size()
           && !endsChecksumText(result.newBuffer.at(textLength)))
        ++textLength;
    result.checksumText = result.newBuffer.left(textLength);
    return result;
}

bool awaitsSecondChecksumDigit(const QString &buffer)
{
    const FrameLocation frame = locateFrame(buffer, SensorLine::MayBringMore);
    return frame.state == FrameState::AwaitingChecksum && frame.checksumDigits == 1;
}

void trimReceiveBuffer(QString &buffer)
{
    const FrameLocation frame = locateFrame(buffer, SensorLine::MayBringMore);
    if (frame.state == FrameState::Complete)
        return;

    const qsizetype lastStart = buffer.lastIndexOf(SensorFrameStart);
    if (lastStart < 0) {
        if (buffer.size() > MaxSensorPayloadLength)
            buffer.remove(0, buffer.size() - MaxSensorPayloadLength);
        return;
    }
    buffer.remove(0, lastStart);

    // An unfinished frame that is already too long can only end in an
    // overflow. One character beyond the limit is enough to report it when
    // its ETX arrives, however the rest of it is split across reads.
    constexpr qsizetype MaxUnfinishedFrame = 1 + MaxSensorPayloadLength + 1;
    if (frame.state == FrameState::None && buffer.size() > MaxUnfinishedFrame)
        buffer.truncate(MaxUnfinishedFrame);
}

int sensorChecksum(const QString &payload)
{
    int checksum = 0;
    for (const QChar c : payload)
        checksum ^= c.unicode() & 0xFF; // one character per byte: only the low byte exists
    return checksum;
}

SensorChecksumVerdict verifySensorChecksum(const QString &payload, const QString &checksumText)
{
    const QString digits = checksumText.trimmed();
    if (digits.isEmpty())
        fail(AppError::Kind::TypeMismatch,
             QStringLiteral("the frame has no checksum text after its end marker"));

    // Any number of leading zeros is allowed; beyond 0xFF only "too large"
    // matters, so the value is capped instead of overflowing.
    int value = 0;
    for (const QChar c : digits) {
        const int digit = hexDigitValue(c);
        if (digit < 0)
            fail(AppError::Kind::TypeMismatch,
                 QStringLiteral("the checksum text %1 is not a hexadecimal number")
                     .arg(quoted(checksumText)));
        value = std::min(value * 16 + digit, 0x100);
    }
    return value == sensorChecksum(payload) ? SensorChecksumVerdict::Match
                                            : SensorChecksumVerdict::Mismatch;
}

std::optional<double> readSensorField(const QString &payload, int index)
{
    const QStringList fields = payload.split(u',');
    if (index < 0 || index >= fields.size())
        fail(AppError::Kind::SubscriptOutOfRange,
             QStringLiteral("the frame %1 has no field %2").arg(quoted(payload)).arg(index));

    const QString text = fields.at(index).trimmed();
    qsizetype i = 0;
    if (i < text.size() && (text.at(i) == u'+' || text.at(i) == u'-'))
        ++i;
    qsizetype digits = 0;
    for (; i < text.size() && isAsciiDigit(text.at(i)); ++i)
        ++digits;
    if (i < text.size() && text.at(i) == u'.')
        ++i;
    for (; i < text.size() && isAsciiDigit(text.at(i)); ++i)
        ++digits;
    if (digits == 0 || i != text.size())
        return std::nullopt;

    // The C locale: a sensor's point is a decimal point whatever the user's
    // locale says. A number too small for a double reads as zero.
    const double value = QLocale::c().toDouble(text);
    if (std::isinf(value))
        fail(AppError::Kind::Overflow,
             QStringLiteral("field %1 %2 is too large for a number").arg(index).arg(quoted(text)));
    return value;
}
