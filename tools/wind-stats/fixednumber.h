// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

#include <charconv>

// Appends the value with a fixed number of decimals and a point. std::to_chars
// rounds the exact binary value, as printf does, and ignores the locale,
// which printf does not.
inline void appendFixed(QByteArray &out, double value, int decimals)
{
    char digits[400];
    const auto result
        = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
    out.append(digits, result.ptr - digits);
}
