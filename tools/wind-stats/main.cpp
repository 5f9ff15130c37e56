// SPDX-License-Identifier: MIT
// wind-stats: the wind statistics of data log files, one row per period, or
// their wind rose.

#include "core/apperror.h"
#include "core/logcategories.h"
#include "core/nmeasentence.h"
#include "loginput.h"
#include "logreader.h"
#include "metartable.h"
#include "periodtable.h"
#include "rosepicture.h"
#include "rosetable.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>

#include <cstdio>
#include <optional>

namespace {

const char description[]
    = R"(Reads wind data log files (CSV: time_utc,direction_deg,speed_ms,source) and
writes, for each period that holds samples, one CSV row:
period_end_utc,samples,coverage_percent,mean_speed_ms,mean_direction_deg,gust_ms,beaufort
With --rose it writes a wind rose instead, and with --rose-svg FILE draws one;
with --metar, each period's wind as an aviation weather report (METAR) gives it.

With no file, or with the file -, it reads standard input.

Periods last --period minutes, which must divide a day (1440), and are aligned
on multiples of that length since midnight UTC. A period is half-open: it holds
the samples with start <= time < end, and the row carries its end.

Definitions, over the samples whose times fall in the period:
  samples           how many there are.
  coverage_percent  the share of the period spanned by gaps of at most 5 s
                    between consecutive samples (counting the part inside the
                    period of a gap from the sample before it, or to the sample
                    after it).
  mean_speed_ms     the mean of their speeds in m/s.
  mean_direction_deg
                    the direction of the mean of their unit vectors,
                    atan2(sum sin, sum cos), in [0, 360); "calm" when the mean
                    speed is below 0.5 m/s; empty when the mean unit vector is
                    shorter than 0.01.
  gust_ms           the highest 3-second mean: at each sample i of the period,
                    the mean speed of the samples j with t(i) - 3 s < t(j) <= t(i),
                    samples before the period included.
  beaufort          the Beaufort value of the mean speed (the scale is defined
                    on 10-minute means).
Speeds and directions have two decimals, the coverage two, Beaufort one.
Every statistic is printed whatever the coverage; a display hides them below
66 %.

The wind rose (--rose) counts every sample read in one of 16 sectors of
22.5 degrees centred on the compass points (N holds 348.75 to below 11.25
degrees) and in the column of its Beaufort force by the WMO's limits in m/s
(force n below the n-th of 0.5, 1.6, 3.4, 5.5, 8.0, 10.8, 13.9, 17.2, 20.8,
24.5, 28.5, 32.7 counted from 0; force 12 from 32.7). A sample below 0.5 m/s
is calm and in no sector. The table is
  sector,samples,percent,f1,f2,...,f12
with a row for each sector from N clockwise to NNW, then the row "calm";
percent and f1 to f12 are shares of all samples in percent with two decimals,
and the calm row leaves the force columns empty. --rose-svg FILE writes the
same rose as an SVG picture, north up, its wedges stacked by force in the
colours of the main window's bar scale.

The METAR wind group (--metar) is written for each period that holds
samples, as period_end_utc,coverage_percent,wind, from the period's samples:
  - the direction of the mean unit vector to ten degrees, half up, in three
    figures, 360 for north (355 to below 5); 000 only for calm;
  - the mean speed in whole knots, half up, two figures, P99 from 100 knots;
    00000KT when it rounds to 0 (then nothing else);
  - G and the gust (the highest 3-second mean, rounded as the speed) when it
    exceeds the mean speed by 10 knots or more;
  - over the samples of 0.5 m/s or more, the narrowest arc holding all their
    directions: from 60 to below 180 degrees with a mean of 3 knots or more,
    its extremes after the group, clockwise, each to ten degrees as the
    direction (27015G25KT 240V300); from 60 to below 180 degrees under 3
    knots, or from 180 degrees, VRB instead of the direction; VRB too when
    the mean unit vector is shorter than 0.01.
There is no detection of a marked discontinuity: the group always covers the
whole period. The group is written whatever the coverage; a report would
need 66 %.

Files may be given in any order, and their times may overlap: the rows of
all inputs are merged by time as they are read, one row of each file at a
time (rows of one millisecond come in the order of their files on the
command line). Within one file rows must be in time order: a row earlier
than a row above it in the same file is malformed. Standard input is one
file. Rows are not de-duplicated: give each file once.

Malformed rows (wrong field count, a time that is not such as
2026-12-07T10:00:00.250Z or lies outside the years 1970 to 2200, a number
that is not plain decimal, a speed that is negative or above %1 m/s, a
source other than "example", "tcp", "udp" or COM and a port number, a row
out of time order in its file, a line longer than %2 bytes, or a last line without a
line end, as a torn row left by a crash) are skipped, counted and reported on
standard error with the file and line of the first few. The header line and
blank lines are skipped.

Exit status: 0, also with malformed rows; 1 when an input could not be read
(the others are still used) or an output could not be written; 2 for a
wrong option.)";

// Output leaves in pieces of this size, so it never piles up in memory.
constexpr qsizetype outputChunk = 64 * 1024;

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
    QCoreApplication::setApplicationName(QStringLiteral("wind-stats"));
    // Messages read as a command's do: "wind-stats: cannot read ...".
    qSetMessagePattern(QStringLiteral("%{appname}: %{message}"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QString::fromUtf8(description).arg(NmeaMaxSpeedMetresPerSecond).arg(LogInput::longestLine));
    parser.addHelpOption();
    const QCommandLineOption periodOption(QStringLiteral("period"),
                                          QStringLiteral("Minutes per period (default 10)."),
                                          QStringLiteral("minutes"), QStringLiteral("10"));
    parser.addOption(periodOption);
    const QCommandLineOption roseOption(
        QStringLiteral("rose"),
        QStringLiteral("Write the wind rose of all samples as CSV instead of periods."));
    parser.addOption(roseOption);
    const QCommandLineOption roseSvgOption(
        QStringLiteral("rose-svg"),
        QStringLiteral("Draw the wind rose of all samples as an SVG picture into <file>."),
        QStringLiteral("file"));
    parser.addOption(roseSvgOption);
    const QCommandLineOption metarOption(
        QStringLiteral("metar"),
        QStringLiteral("Write each period's METAR wind group instead of its statistics."));
    parser.addOption(metarOption);
    parser.addPositionalArgument(
        QStringLiteral("files"),
        QStringLiteral("Data log files in any order; - or none for standard input."),
        QStringLiteral("[files...]"));
    parser.process(application);

    const bool rose = parser.isSet(roseOption);
    const bool roseSvg = parser.isSet(roseSvgOption);
    const bool metar = parser.isSet(metarOption);
    if (metar && (rose || roseSvg)) {
        qCWarning(windLog, "--metar writes periods and --rose or --rose-svg one rose: choose one");
        return 2;
    }
    if ((rose || roseSvg) && parser.isSet(periodOption)) {
        qCWarning(windLog,
                  "--period does not apply to --rose or --rose-svg, which count every "
                  "sample read into one rose");
        return 2;
    }
    bool isNumber = false;
    const int minutes = parser.value(periodOption).toInt(&isNumber);
    if (!isNumber || minutes < 1 || 1440 % minutes != 0) {
        qCWarning(windLog,
                  "--period takes minutes that divide a day (1440), such as 1, 2, 5, 10, 15, "
                  "30 or 60; not \"%s\"",
                  qPrintable(parser.value(periodOption)));
        return 2;
    }

    // Opened before a year of logs is read, so that a folder that is missing
    // or cannot be written is told at once.
    QSaveFile picture(parser.value(roseSvgOption));
    if (roseSvg) {
        picture.setDirectWriteFallback(true);
        if (!picture.open(QIODevice::WriteOnly)) {
            qCWarning(windLog, "cannot write the wind rose to %s: %s",
                      qPrintable(QDir::toNativeSeparators(picture.fileName())),
                      qPrintable(picture.errorString()));
            return 1;
        }
    }

    QStringList inputs = parser.positionalArguments();
    if (inputs.isEmpty())
        inputs.append(QStringLiteral("-"));
    LogReader reader(inputs);
    std::optional<PeriodTable> periods;
    std::optional<RoseTable> roseTable;
    std::optional<MetarTable> metarTable;
    QByteArray out;
    if (rose || roseSvg) {
        roseTable.emplace();
    } else if (metar) {
        metarTable.emplace(minutes * 60000LL);
        out.append(metarTableHeader);
        out.append('\n');
    } else {
        periods.emplace(minutes * 60000LL);
        out.append(periodTableHeader);
        out.append('\n');
    }
    bool written = true;
    try {
        while (const std::optional<WindSample> sample = reader.next()) {
            if (periods)
                periods->add(*sample, out);
            if (roseTable)
                roseTable->add(*sample);
            if (metarTable)
                metarTable->add(*sample, out);
            if (out.size() >= outputChunk) {
                written = write(out);
                if (!written)
                    break;
            }
        }
        if (periods)
            periods->finish(out);
        if (metarTable)
            metarTable->finish(out);
    } catch (const AppError &error) {
        // The reader hands out rows in time order within the years the
        // output can name, so this is a fault of the program.
        qCWarning(windLog, "%s", qPrintable(error.description()));
        return 1;
    }
    if (rose)
        roseTable->appendCsv(out);
    if (!written || !write(out) || std::fflush(stdout) != 0) {
        qCWarning(windLog, "cannot write the output");
        return 1;
    }
    if (roseSvg) {
        const QByteArray svg
            = windRoseSvg(roseTable->rose(), roseTable->firstMs(), roseTable->lastMs());
        if (picture.write(svg) != svg.size() || !picture.commit()) {
            qCWarning(windLog, "cannot write the wind rose to %s: %s",
                      qPrintable(QDir::toNativeSeparators(picture.fileName())),
                      qPrintable(picture.errorString()));
            return 1;
        }
    }

    if (reader.malformedRows() > 0) {
        QString report = QStringLiteral("%1 malformed rows skipped").arg(reader.malformedRows());
        for (const QString &problem : reader.problems())
            report += QStringLiteral("\n  ") + problem;
        qCWarning(windLog, "%s", qPrintable(report));
    }
    return reader.allRead() ? 0 : 1;
}
