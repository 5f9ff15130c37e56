// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>
#include <QVarLengthArray>

#include <optional>

// What every NMEA 0183 sentence reader of the wind input shares: the fields
// of a sentence and the numbers and speeds they hold. Pure, never throws.

// The fields after a sentence's address ("IIMWV"), counted from 0. A field
// beyond the sentence's end reads as empty.
class NmeaFields
{
public:
    // The text between the address's comma and the '*' or the end.
    explicit NmeaFields(QByteArrayView body);

    QByteArrayView at(qsizetype index) const
    {
        return index < m_fields.size() ? m_fields.at(index) : QByteArrayView();
    }

private:
    // RMC, the longest sentence read, has 13 fields.
    QVarLengthArray<QByteArrayView, 16> m_fields;
};

// Exact conversions: a knot is 1852 m an hour.
inline constexpr double NmeaMetresPerSecondPerKnot = 1852.0 / 3600.0;
inline constexpr double NmeaMetresPerSecondPerKmh = 1.0 / 3.6;

// The number a field holds: an optional '-', digits with at most one point,
// at least one digit. Nothing for an empty field or anything else (a '+',
// an exponent, blanks). A sentence's length keeps the value finite.
std::optional<double> nmeaNumber(QByteArrayView field);

// A speed field and the unit letter after it (N knots, M m/s, K km/h) in
// metres per second; nothing when either does not read.
std::optional<double> nmeaSpeedMetresPerSecond(QByteArrayView value, QByteArrayView unit);

// The first of the listed speeds (the index of a value's field, and the
// unit letter that must follow it) that the sentence carries.
std::optional<double>
nmeaFirstSpeed(const NmeaFields &fields,
               std::initializer_list<std::pair<qsizetype, const char *>> candidates);

// An angle within 0 to 360 degrees, both included.
inline bool isNmeaAngle(double degrees)
{
    return degrees >= 0 && degrees <= 360;
}
