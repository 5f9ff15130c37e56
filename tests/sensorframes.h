// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

// A frame as a sensor sends it: STX, payload, ETX, the payload's XOR in two
// upper-case hexadecimal digits (or the given checksum text), CR LF.
inline QByteArray sensorFrame(const QByteArray &payload, const QByteArray &checksum = {})
{
    int sum = 0;
    for (char c : payload)
        sum ^= static_cast<unsigned char>(c);
    const QByteArray digits = checksum.isNull()
        ? QByteArray::number(sum, 16).rightJustified(2, '0').toUpper()
        : checksum;
    return '\x02' + payload + '\x03' + digits + "\r\n";
}
