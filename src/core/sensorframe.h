// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <optional>

// The wind sensor's frames: STX, a payload of comma-separated fields, ETX,
// then the payload's XOR checksum in hexadecimal (normally two upper-case
// digits followed by CR LF). Field 1 is the direction in degrees, field 2 the
// speed in metres per second, both with a point as decimal separator.
//
// Every function here is pure and works on text that holds one character per
// received byte (Latin-1 codes). Failures are thrown as AppError with a kind
// and a description that names the kind; anything else is a plain result.

inline constexpr QChar SensorFrameStart = QChar(0x02); // STX
inline constexpr QChar SensorFrameEnd = QChar(0x03); // ETX

// Positions and lengths in the sensor protocol are 16-bit signed values: a
// payload longer than this cannot be a frame.
inline constexpr qsizetype MaxSensorPayloadLength = 32767;

struct SensorFrame
{
    QString payload; // the text between STX and ETX
    QString checksumText; // after ETX, up to the next STX, CR or LF
    QString newBuffer; // everything after ETX; the checksum text stays at its head
};

// Whether more characters may still be on their way, or the line has been
// quiet for longer than a character takes.
enum class SensorLine { MayBringMore, Quiet };

// Takes the first complete frame out of the receive buffer, or gives nothing
// when none is complete yet (the buffer is then left as it is). A frame is
// complete once the text after its ETX holds two hexadecimal digits or any
// character that is not one, so a poll that falls between the ETX and the
// checksum digits waits for them instead of reading a missing checksum; a
// single digit also completes it once the line is quiet.
// Text before the frame's STX is dropped with the frame, even when it holds
// an ETX (reception that began inside a frame, or noise), and an STX that is
// never followed by an ETX is given up when a later STX arrives.
// Throws AppError (Overflow) when the payload is longer than
// MaxSensorPayloadLength.
std::optional<SensorFrame> extractSensorFrame(const QString &buffer,
                                              SensorLine line = SensorLine::MayBringMore);

// True when the buffer's first frame has one checksum digit and nothing after
// it: a second digit may still come, or the checksum is that one digit.
bool awaitsSecondChecksumDigit(const QString &buffer);

// Drops text that can no longer become part of a frame, so that noise or a
// wrong baud rate never grows the buffer without bound: everything before the
// last STX and, when the buffer holds no STX, all but its last
// MaxSensorPayloadLength characters. An unfinished frame is kept only as far
// as needed to prove it too long. A frame that extractSensorFrame would take
// is never touched, so this is safe to call after every read.
void trimReceiveBuffer(QString &buffer);

// The XOR of the codes of all the payload's characters, 0 to 255.
int sensorChecksum(const QString &payload);

enum class SensorChecksumVerdict { Match, Mismatch };

// Compares the checksum text (hexadecimal, either letter case, leading zeros
// and surrounding white space allowed) with the payload's checksum.
// Throws AppError (TypeMismatch) when the text is empty or not hexadecimal.
SensorChecksumVerdict verifySensorChecksum(const QString &payload, const QString &checksumText);

// The number in field `index` (fields are numbered from 0), or nothing when
// the field is not a plain decimal number: optional blanks, an optional sign,
// digits with at most one point, optional blanks. The point is the decimal
// separator whatever the user's locale; exponents are not accepted.
// Throws AppError (SubscriptOutOfRange) when the payload has no such field,
// and AppError (Overflow) when the number is too large for a double.
std::optional<double> readSensorField(const QString &payload, int index);
