// SPDX-License-Identifier: MIT
#include "core/nmeasentence.h"

#include "core/winddirection.h"

#include <cmath>

namespace {

// Checked in metres per second, before any conversion, so that every unit
// refuses the same samples.
bool isStatableSpeed(double metresPerSecond)
{
    return std::isfinite(metresPerSecond) && metresPerSecond >= 0
        && metresPerSecond <= NmeaMaxSpeedMetresPerSecond;
}

// Whole numbers of tenths printed as digits, a point and one digit. Working
// on integers keeps a negative zero ("-0.0") and the C library's rounding
// of halves out of the sentence.
QByteArray tenthsText(long long tenths, int minimumIntegerDigits)
{
    QByteArray whole = QByteArray::number(tenths / 10);
    if (whole.size() < minimumIntegerDigits)
        whole.prepend(QByteArray(minimumIntegerDigits - whole.size(), '0'));
    return whole + '.' + char('0' + tenths % 10);
}

// Rounded once, as the readouts round, then printed from whole tenths.
QByteArray speedText(double value)
{
    return tenthsText(std::llround(roundedToTenths(value) * 10), 1);
}

} // namespace

char nmeaUnitLetter(SpeedUnit unit)
{
    switch (unit) {
    case SpeedUnit::Knots:
        return 'N';
    case SpeedUnit::MetresPerSecond:
        return 'M';
    case SpeedUnit::KilometresPerHour:
        return 'K';
    }
    return 'N';
}

quint8 nmeaChecksum(const QByteArray &body)
{
    quint8 sum = 0;
    for (const char c : body)
        sum ^= static_cast<quint8>(c);
    return sum;
}

QByteArray nmeaSentence(const QByteArray &body)
{
    return '$' + body + '*'
        + QByteArray::number(nmeaChecksum(body), 16).toUpper().rightJustified(2, '0') + "\r\n";
}

int nmeaAngleTenths(double degrees)
{
    if (!std::isfinite(degrees))
        return -1;
    return int(std::lround(wrappedDegrees(degrees, 1) * 10));
}

namespace {
const char *referenceField(NmeaMwvReference reference)
{
    return reference == NmeaMwvReference::True ? ",T," : ",R,";
}
} // namespace

QByteArray nmeaMwvSentence(double directionDegrees, double speedMetresPerSecond, SpeedUnit unit,
                           NmeaMwvReference reference)
{
    const int angle = nmeaAngleTenths(directionDegrees);
    if (angle < 0 || !isStatableSpeed(speedMetresPerSecond))
        return {};
    return nmeaSentence("WIMWV," + tenthsText(angle, 3) + referenceField(reference)
                        + speedText(speedInUnit(speedMetresPerSecond, unit)) + ','
                        + nmeaUnitLetter(unit) + ",A");
}

QByteArray nmeaMwvVoidSentence(SpeedUnit unit, NmeaMwvReference reference)
{
    return nmeaSentence(QByteArray("WIMWV,") + referenceField(reference) + ','
                        + nmeaUnitLetter(unit) + ",V");
}

QByteArray nmeaMwdSentence(double directionDegrees, double speedMetresPerSecond)
{
    const int angle = nmeaAngleTenths(directionDegrees);
    if (angle < 0 || !isStatableSpeed(speedMetresPerSecond))
        return {};
    return nmeaSentence("WIMWD," + tenthsText(angle, 3) + ",T,,M,"
                        + speedText(speedInUnit(speedMetresPerSecond, SpeedUnit::Knots)) + ",N,"
                        + speedText(speedMetresPerSecond) + ",M");
}
