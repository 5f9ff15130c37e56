// SPDX-License-Identifier: MIT
// Prints the sentence the core library builds for the given input, exactly
// as it would go out (CR LF included), so that an independent parser can
// read it. An input that no sentence can state prints nothing.
//
//     nmea-sentences mwv N|M|K <direction> <speed m/s>
//     nmea-sentences mwd <direction> <speed m/s>
//     nmea-sentences void N|M|K

#include "core/nmeasentence.h"

#include <QByteArray>

#include <cstdio>
#include <optional>

namespace {

std::optional<SpeedUnit> unitNamed(const QByteArray &letter)
{
    for (const SpeedUnit unit :
         {SpeedUnit::Knots, SpeedUnit::MetresPerSecond, SpeedUnit::KilometresPerHour}) {
        if (letter == QByteArray(1, nmeaUnitLetter(unit)))
            return unit;
    }
    return std::nullopt;
}

std::optional<double> number(const char *text)
{
    // Takes "nan" and "inf" too, which test the refusal.
    bool ok = false;
    const double value = QByteArray(text).toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

int usage()
{
    std::fputs("usage: nmea-sentences mwv N|M|K <direction> <speed m/s>\n"
               "       nmea-sentences mwd <direction> <speed m/s>\n"
               "       nmea-sentences void N|M|K\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    const QByteArray kind = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    QByteArray sentence;
    if (kind == "mwv" && argc == 5) {
        const auto unit = unitNamed(argv[2]);
        const auto direction = number(argv[3]);
        const auto speed = number(argv[4]);
        if (!unit || !direction || !speed)
            return usage();
        sentence = nmeaMwvSentence(*direction, *speed, *unit);
    } else if (kind == "mwd" && argc == 4) {
        const auto direction = number(argv[2]);
        const auto speed = number(argv[3]);
        if (!direction || !speed)
            return usage();
        sentence = nmeaMwdSentence(*direction, *speed);
    } else if (kind == "void" && argc == 3) {
        const auto unit = unitNamed(argv[2]);
        if (!unit)
            return usage();
        sentence = nmeaMwvVoidSentence(*unit);
    } else {
        return usage();
    }
    std::fwrite(sentence.constData(), 1, size_t(sentence.size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
