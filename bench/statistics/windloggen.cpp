// SPDX-License-Identifier: MIT
// wind-log-gen: writes a data log of generated samples to standard output:
// a random walk of direction across north and of speed, at irregular
// intervals around the rate, with gaps of up to a minute and calm spells.
// It writes hours x 3600 x hz rows (345,600 for a day at 4 Hz, 126,144,000
// for a year); the gaps make them reach a little further than the hours.
//
//   wind-log-gen [--hours 24] [--hz 4] [--start 2026-12-07] [--seed 1]

#include "core/utctime.h"
#include "core/windlogrow.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

bool write(QByteArray &out)
{
    const bool written
        = std::fwrite(out.constData(), 1, size_t(out.size()), stdout) == size_t(out.size());
    out.resize(0);
    return written;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes a generated wind data log."));
    parser.addHelpOption();
    const QCommandLineOption hoursOption(QStringLiteral("hours"), QStringLiteral("Hours of data."),
                                         QStringLiteral("hours"), QStringLiteral("24"));
    const QCommandLineOption rateOption(QStringLiteral("hz"), QStringLiteral("Samples a second."),
                                        QStringLiteral("hz"), QStringLiteral("4"));
    const QCommandLineOption startOption(QStringLiteral("start"),
                                         QStringLiteral("First UTC day, yyyy-MM-dd."),
                                         QStringLiteral("date"), QStringLiteral("2026-12-07"));
    const QCommandLineOption seedOption(QStringLiteral("seed"), QStringLiteral("Random seed."),
                                        QStringLiteral("seed"), QStringLiteral("1"));
    parser.addOptions({hoursOption, rateOption, startOption, seedOption});
    parser.process(application);

    const double hours = parser.value(hoursOption).toDouble();
    const double rate = parser.value(rateOption).toDouble();
    const QDate start = QDate::fromString(parser.value(startOption), Qt::ISODate);
    if (hours <= 0 || rate <= 0 || !start.isValid()) {
        std::fprintf(stderr, "wind-log-gen: --hours and --hz must be positive, --start a date\n");
        return 2;
    }

    QRandomGenerator random(parser.value(seedOption).toUInt());
    const auto uniform = [&random](double from, double to) {
        return from + random.generateDouble() * (to - from);
    };
    const qint64 firstMs = utcDayNumberOf(start) * utcDayMs;
    const qint64 rows = qint64(hours * 3600 * rate);
    const double intervalMs = 1000 / rate;

    QByteArray out(windLogHeader);
    out.append('\n');
    WindLogRow row;
    row.source = serialPortSource(3);
    double direction = 350;
    double speed = 6;
    qint64 calmUntilMs = firstMs;
    qint64 time = firstMs;
    for (qint64 i = 0; i < rows; ++i) {
        time += std::max<qint64>(1, qint64(intervalMs * uniform(0.8, 1.2)));
        if (random.generateDouble() < 0.0002)
            time += qint64(uniform(5000, 60000));
        if (time >= calmUntilMs && random.generateDouble() < 0.0001)
            calmUntilMs = time + qint64(uniform(60000, 900000));
        direction = std::fmod(direction + uniform(-15, 15) + 360, 360);
        speed
            = time < calmUntilMs ? uniform(0, 0.9) : std::clamp(speed + uniform(-1, 1), 0.0, 30.0);
        row.utcMs = time;
        row.directionDegrees = direction;
        row.speedMetresPerSecond = speed;
        out.append(formatWindLogRow(row));
        out.append('\n');
        // Written as it goes: a year at 4 Hz is about 8 GB.
        if (out.size() >= 64 * 1024 && !write(out))
            return 1;
    }
    return write(out) && std::fflush(stdout) == 0 ? 0 : 1;
}
