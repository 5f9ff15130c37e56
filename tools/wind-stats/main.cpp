// SPDX-License-Identifier: MIT
// wind-stats: the wind statistics of data log files, one row per period.

#include "core/apperror.h"
#include "core/logcategories.h"
#include "core/nmeasentence.h"
#include "loginput.h"
#include "logreader.h"
#include "periodtable.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

const char description[]
    = R"(Reads wind data log files (CSV: time_utc,direction_deg,speed_ms,source) and
writes, for each period that holds samples, one CSV row:
period_end_utc,samples,coverage_percent,mean_speed_ms,mean_direction_deg,gust_ms,beaufort

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
(the others are still used) or the output could not be written; 2 for a
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
    parser.addPositionalArgument(
        QStringLiteral("files"),
        QStringLiteral("Data log files in any order; - or none for standard input."),
        QStringLiteral("[files...]"));
    parser.process(application);

    bool isNumber = false;
    const int minutes = parser.value(periodOption).toInt(&isNumber);
    if (!isNumber || minutes < 1 || 1440 % minutes != 0) {
        qCWarning(windLog,
                  "--period takes minutes that divide a day (1440), such as 1, 2, 5, 10, 15, "
                  "30 or 60; not \"%s\"",
                  qPrintable(parser.value(periodOption)));
        return 2;
    }

    QStringList inputs = parser.positionalArguments();
    if (inputs.isEmpty())
        inputs.append(QStringLiteral("-"));
    LogReader reader(inputs);
    PeriodTable table(minutes * 60000LL);
    QByteArray out(periodTableHeader);
    out.append('\n');
    bool written = true;
    try {
        while (const std::optional<WindSample> sample = reader.next()) {
            table.add(*sample, out);
            if (out.size() >= outputChunk) {
                written = write(out);
                if (!written)
                    break;
            }
        }
        table.finish(out);
    } catch (const AppError &error) {
        // The reader hands out rows in time order within the years the
        // output can name, so this is a fault of the program.
        qCWarning(windLog, "%s", qPrintable(error.description()));
        return 1;
    }
    if (!written || !write(out) || std::fflush(stdout) != 0) {
        qCWarning(windLog, "cannot write the output");
        return 1;
    }

    if (reader.malformedRows() > 0) {
        QString report = QStringLiteral("%1 malformed rows skipped").arg(reader.malformedRows());
        for (const QString &problem : reader.problems())
            report += QStringLiteral("\n  ") + problem;
        qCWarning(windLog, "%s", qPrintable(report));
    }
    return reader.allRead() ? 0 : 1;
}
