// wind-stats: the wind statistics of data log files, one row per period.

#include "core/apperror.h"
#include "logreader.h"
#include "periodtable.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <algorithm>
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

Rows out of time order: all rows of all inputs are read first and sorted by
time (rows of one millisecond keep their input order), so files may be given
in any order. Rows are not de-duplicated: give each file once.

Malformed rows (wrong field count, a time that is not such as
2026-12-07T10:00:00.250Z, a number that is not plain decimal, a negative
speed, a source other than "example" or COM and a port number, or a last line
without a line end, as a torn row left by a crash) are skipped, counted and
reported on standard error with the file and line of the first few. The header
line and blank lines are skipped.

Exit status: 0, also with malformed rows; 1 when an input could not be read
(the others are still used) or the output could not be written; 2 for a
wrong option.)";

bool readInput(const QString &name, LogReader &reader)
{
    QFile file;
    bool opened = false;
    if (name == QLatin1String("-"))
        opened = file.open(stdin, QIODevice::ReadOnly);
    else {
        file.setFileName(name);
        opened = file.open(QIODevice::ReadOnly);
    }
    const QByteArray text = opened ? file.readAll() : QByteArray();
    if (!opened || file.error() != QFileDevice::NoError) {
        std::fprintf(stderr, "wind-stats: cannot read %s: %s\n", qPrintable(name),
                     qPrintable(file.errorString()));
        return false;
    }
    reader.read(text, name == QLatin1String("-") ? QStringLiteral("standard input") : name);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("wind-stats"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(description));
    parser.addHelpOption();
    const QCommandLineOption periodOption(QStringLiteral("period"),
                                          QStringLiteral("Minutes per period (default 10)."),
                                          QStringLiteral("minutes"), QStringLiteral("10"));
    parser.addOption(periodOption);
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("Data log files; - or none for standard input."),
                                 QStringLiteral("[files...]"));
    parser.process(application);

    bool isNumber = false;
    const int minutes = parser.value(periodOption).toInt(&isNumber);
    if (!isNumber || minutes < 1 || 1440 % minutes != 0) {
        std::fprintf(stderr,
                     "wind-stats: --period takes minutes that divide a day (1440), such "
                     "as 1, 2, 5, 10, 15, 30 or 60; not \"%s\"\n",
                     qPrintable(parser.value(periodOption)));
        return 2;
    }

    QStringList inputs = parser.positionalArguments();
    if (inputs.isEmpty())
        inputs.append(QStringLiteral("-"));
    LogReader reader;
    bool allRead = true;
    for (const QString &input : inputs)
        allRead = readInput(input, reader) && allRead;

    std::vector<WindSample> &samples = reader.samples();
    const auto earlier = [](const WindSample &a, const WindSample &b) {
        return a.timeMs < b.timeMs;
    };
    if (!std::is_sorted(samples.begin(), samples.end(), earlier))
        std::stable_sort(samples.begin(), samples.end(), earlier);

    QByteArray table;
    try {
        table = periodTable(samples, minutes * 60000LL);
    } catch (const AppError &error) {
        // Only a period ending after the year 9999 can get here.
        std::fprintf(stderr, "wind-stats: %s\n", qPrintable(error.description()));
        return 1;
    }
    std::fwrite(table.constData(), 1, size_t(table.size()), stdout);
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "wind-stats: cannot write the output\n");
        return 1;
    }

    if (reader.malformedRows() > 0) {
        std::fprintf(stderr, "wind-stats: %lld malformed rows skipped\n",
                     static_cast<long long>(reader.malformedRows()));
        for (const QString &problem : reader.problems())
            std::fprintf(stderr, "  %s\n", qPrintable(problem));
    }
    return allRead ? 0 : 1;
}
