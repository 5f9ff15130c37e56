#include "core/nmeasentence.h"

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

QByteArray speedText(double value)
{
    return tenthsText(std::llround(value * 10), 1);
}

double speedInUnit(double metresPerSecond, NmeaSpeedUnit unit)
{
    switch (unit) {
    case NmeaSpeedUnit::Knots:
        return metresPerSecond * NmeaKnotsPerMetrePerSecond;
    case NmeaSpeedUnit::MetresPerSecond:
        return metresPerSecond;
    case NmeaSpeedUnit::KilometresPerHour:
        return metresPerSecond * 3.6;
    }
    return metresPerSecond;
}

} // namespace

char nmeaUnitLetter(NmeaSpeedUnit unit)
{
    switch (unit) {
    case NmeaSpeedUnit::Knots:
        return 'N';
    case NmeaSpeedUnit::MetresPerSecond:
        return 'M';
    case NmeaSpeedUnit::KilometresPerHour:
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
    double angle = std::fmod(degrees, 360.0);
    if (angle < 0)
        angle += 360;
    // Both a tiny negative angle (which gains exactly 360) and 359.95 or
    // more round up to a full turn.
    const long tenths = std::lround(angle * 10);
    return tenths >= 3600 ? 0 : int(tenths);
}

QByteArray nmeaMwvSentence(double directionDegrees, double speedMetresPerSecond, NmeaSpeedUnit unit)
{
    const int angle = nmeaAngleTenths(directionDegrees);
    if (angle < 0 || !isStatableSpeed(speedMetresPerSecond))
        return {};
    return nmeaSentence("WIMWV," + tenthsText(angle, 3) + ",R,"
                        + speedText(speedInUnit(speedMetresPerSecond, unit)) + ','
                        + nmeaUnitLetter(unit) + ",A");
}

QByteArray nmeaMwvVoidSentence(NmeaSpeedUnit unit)
{
    return nmeaSentence(QByteArray("WIMWV,,R,,") + nmeaUnitLetter(unit) + ",V");
}

QByteArray nmeaMwdSentence(double directionDegrees, double speedMetresPerSecond)
{
    const int angle = nmeaAngleTenths(directionDegrees);
    if (angle < 0 || !isStatableSpeed(speedMetresPerSecond))
        return {};
    return nmeaSentence("WIMWD," + tenthsText(angle, 3) + ",T,,M,"
                        + speedText(speedInUnit(speedMetresPerSecond, NmeaSpeedUnit::Knots)) + ",N,"
                        + speedText(speedMetresPerSecond) + ",M");
}
