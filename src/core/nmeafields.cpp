// SPDX-License-Identifier: MIT
#include "core/nmeafields.h"

NmeaFields::NmeaFields(QByteArrayView body)
{
    for (qsizetype start = 0;;) {
        const qsizetype comma = body.indexOf(',', start);
        m_fields.append(body.sliced(start, (comma < 0 ? body.size() : comma) - start));
        if (comma < 0)
            break;
        start = comma + 1;
    }
}

std::optional<double> nmeaNumber(QByteArrayView field)
{
    // A sign is read so that a negative value is told from an unreadable
    // one: the first is out of range, the second merely absent.
    const QByteArrayView unsignedPart = field.startsWith('-') ? field.sliced(1) : field;
    qsizetype digits = 0;
    qsizetype points = 0;
    for (const char c : unsignedPart) {
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c == '.')
            ++points;
        else
            return std::nullopt;
    }
    if (digits == 0 || points > 1)
        return std::nullopt;
    return field.toDouble();
}

std::optional<double> nmeaSpeedMetresPerSecond(QByteArrayView value, QByteArrayView unit)
{
    const std::optional<double> speed = nmeaNumber(value);
    if (!speed)
        return std::nullopt;
    if (unit == "M")
        return *speed;
    if (unit == "N")
        return *speed * NmeaMetresPerSecondPerKnot;
    if (unit == "K")
        return *speed * NmeaMetresPerSecondPerKmh;
    return std::nullopt;
}

std::optional<double>
nmeaFirstSpeed(const NmeaFields &fields,
               std::initializer_list<std::pair<qsizetype, const char *>> candidates)
{
    for (const auto &[index, unit] : candidates) {
        if (fields.at(index + 1) != unit)
            continue;
        if (const std::optional<double> speed
            = nmeaSpeedMetresPerSecond(fields.at(index), fields.at(index + 1)))
            return speed;
    }
    return std::nullopt;
}
