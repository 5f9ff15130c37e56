// SPDX-License-Identifier: MIT
// stats-bench: what recording samples costs. Prints the statistics engine's
// time per sample and per snapshot at 4 and 40 samples a second, its heap
// for an hour at 40 a second, what the live METAR groups and the rose cost
// the history window each second, and the data log's time per row with the cost
// of the check that its file is still at its path; then the peak resident
// size and time of wind-stats on a year at 4 Hz that wind-log-gen writes
// into a pipe (about 8 GB of rows that never touch the disk).
//
//   stats-bench [--wind-stats-hours 8760]     (0 leaves wind-stats out)

#include "core/filecalls.h"
#include "core/metarwind.h"
#include "core/utctime.h"
#include "core/windlogrow.h"
#include "core/windlogwriter.h"
#include "core/windrose.h"
#include "core/windsample.h"
#include "core/windstatistics.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cmath>
#include <cstdio>

namespace {

struct Walk
{
    QRandomGenerator random{7};
    double direction = 350;
    double speed = 6;

    WindSample next(qint64 timeMs)
    {
        direction = std::fmod(direction + (random.generateDouble() - 0.5) * 30 + 360, 360);
        speed = std::abs(speed + random.generateDouble() - 0.5);
        return {timeMs, direction, speed};
    }
};

// The C library's count of bytes handed out; only glibc has it.
double heapInUseMb()
{
#if defined(__GLIBC__)
    return double(mallinfo2().uordblks) / (1024 * 1024);
#else
    return 0;
#endif
}

// Feeds `warmMinutes` of samples at `hz` unmeasured, then `minutes` more,
// timing addSample and a snapshot after each sample; returns ns per call.
void engineCost(double hz, int warmMinutes, int minutes)
{
    WindStatistics engine;
    Walk walk;
    const qint64 stepMs = qint64(1000 / hz);
    qint64 time = 0;
    for (; time < warmMinutes * 60000LL; time += stepMs)
        engine.addSample(walk.next(time));

    const qint64 endMs = time + minutes * 60000LL;
    qint64 count = 0;
    qint64 addNs = 0;
    qint64 snapshotNs = 0;
    QElapsedTimer timer;
    double sink = 0;
    for (; time < endMs; time += stepMs, ++count) {
        const WindSample sample = walk.next(time);
        timer.start();
        engine.addSample(sample);
        addNs += timer.nsecsElapsed();
        timer.start();
        sink += engine.snapshot(time).tenMinutes.meanSpeed;
        snapshotNs += timer.nsecsElapsed();
    }
    timer.start();
    const std::size_t points = engine.history(time, WindHistory::keptMs).size();
    const qint64 historyNs = timer.nsecsElapsed();

    const double addPerSample = double(addNs) / count;
    std::printf("%5.0f Hz  addSample %7.0f ns  snapshot %7.0f ns  history(60 min, %zu points) "
                "%8.3f ms  recording at this rate: %.5f %% of a core%s\n",
                hz, addPerSample, double(snapshotNs) / count, points, historyNs / 1e6,
                addPerSample * hz / 1e9 * 100, sink < 0 ? "!" : "");
}

void hourMemory()
{
    const double before = heapInUseMb();
    {
        WindStatistics engine;
        Walk walk;
        for (qint64 time = 0; time < 3600000; time += 25)
            engine.addSample(walk.next(time));
        engine.snapshot(3600000);
        std::printf("an hour at 40 Hz (144000 samples): engine heap %.2f MB (target 10 MB)\n",
                    heapInUseMb() - before);
    }
}

void logCost()
{
    QTemporaryDir folder;
    WindLogWriter writer(folder.path(), 30);
    WindLogRow row;
    row.source = serialPortSource(3);
    Walk walk;
    const qint64 firstMs = QDateTime::currentMSecsSinceEpoch();
    const int rows = 20000;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rows; ++i) {
        const WindSample sample = walk.next(i * 250);
        row.utcMs = firstMs + sample.timeMs;
        row.directionDegrees = sample.directionDegrees;
        row.speedMetresPerSecond = sample.speedMetresPerSecond;
        writer.append(row);
    }
    const double perRowNs = double(timer.nsecsElapsed()) / rows;
    std::printf("data log: %.1f us a row; at 4 Hz %.4f %% of a core\n", perRowNs / 1000,
                perRowNs * 4 / 1e9 * 100);

    // The check before each row, on its own: one stat() of the day's path,
    // compared with what the open file was.
    const QString path = folder.filePath(WindLogWriter::fileNameForDay(utcDayNumber(firstMs)));
    const std::optional<FileIdentity> open = identityOfPath(path);
    int same = 0;
    timer.start();
    for (int i = 0; i < rows; ++i)
        same += identityOfPath(path) == open ? 1 : 0;
    const double checkNs = double(timer.nsecsElapsed()) / rows;
    std::printf("  of which the check that the file is still at its path: %.2f us (%.0f %% of a "
                "row)%s\n",
                checkNs / 1000, checkNs / perRowNs * 100, same == rows ? "" : "!");
}

#if defined(Q_OS_UNIX)
// Runs wind-log-gen | wind-stats > /dev/null from the folder of this program
// and reports what wind-stats alone took: QProcess cannot tell one child's
// peak resident size, wait4() can.
void windStatsCost(double hours)
{
    const QString folder = QCoreApplication::applicationDirPath();
    const QByteArray generator = (folder + QStringLiteral("/wind-log-gen")).toLocal8Bit();
    const QByteArray windStats = (folder + QStringLiteral("/wind-stats")).toLocal8Bit();
    const QByteArray hoursText = QByteArray::number(hours);
    int rows[2];
    const int nowhere = ::open("/dev/null", O_WRONLY);
    if (nowhere < 0 || ::pipe(rows) != 0) {
        std::printf("wind-stats: no pipe\n");
        return;
    }
    QElapsedTimer timer;
    timer.start();
    const pid_t generatorPid = ::fork();
    if (generatorPid == 0) {
        ::dup2(rows[1], STDOUT_FILENO);
        ::close(rows[0]);
        ::close(rows[1]);
        ::execl(generator.constData(), generator.constData(), "--hours", hoursText.constData(),
                "--hz", "4", static_cast<char *>(nullptr));
        ::_exit(127);
    }
    const pid_t windStatsPid = ::fork();
    if (windStatsPid == 0) {
        ::dup2(rows[0], STDIN_FILENO);
        ::dup2(nowhere, STDOUT_FILENO);
        ::close(rows[0]);
        ::close(rows[1]);
        ::execl(windStats.constData(), windStats.constData(), static_cast<char *>(nullptr));
        ::_exit(127);
    }
    ::close(rows[0]);
    ::close(rows[1]);
    ::close(nowhere);

    int status = 0;
    rusage usage{};
    const bool waited = ::wait4(windStatsPid, &status, 0, &usage) == windStatsPid;
    const double wallS = timer.nsecsElapsed() / 1e9;
    int generatorStatus = 0;
    ::waitpid(generatorPid, &generatorStatus, 0);
    if (!waited || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || !WIFEXITED(generatorStatus)
        || WEXITSTATUS(generatorStatus) != 0) {
        std::printf("wind-stats: the run failed (are wind-stats and wind-log-gen built?)\n");
        return;
    }
    const auto seconds = [](const timeval &time) {
        return time.tv_sec + time.tv_usec / 1e6;
    };
    // ru_maxrss is in kilobytes on Linux.
    std::printf("wind-stats, %.0f hours at 4 Hz (%lld rows, generated into a pipe): peak RSS "
                "%.1f MB (target 50 MB), CPU %.1f s (%.2f us a row), %.1f s wall for the pipe\n",
                hours, static_cast<long long>(hours * 3600 * 4), usage.ru_maxrss / 1024.0,
                seconds(usage.ru_utime) + seconds(usage.ru_stime),
                (seconds(usage.ru_utime) + seconds(usage.ru_stime)) * 1e6 / (hours * 3600 * 4),
                wallS);
}
#else
void windStatsCost(double)
{
    std::printf("wind-stats: measured on Unix only\n");
}
#endif

// What the history window's once-a-second refresh of the live reports costs
// when it visits the recorder's points, an hour kept at 40 Hz: the 2- and
// 10-minute METAR groups (with their 3-second lead-in) and the rose of the
// last hour.
void liveReportCost()
{
    WindStatistics engine;
    Walk walk;
    qint64 time = 0;
    for (; time < WindHistory::keptMs; time += 25)
        engine.addSample(walk.next(time));
    const qint64 now = time - 25;
    constexpr int rounds = 20;
    QElapsedTimer timer;
    qint64 groupChars = 0;
    timer.start();
    for (int round = 0; round < rounds; ++round) {
        for (const qint64 spanMs : {WindStatistics::twoMinutesMs, WindStatistics::tenMinutesMs}) {
            MetarWindPeriod period(now + 1 - spanMs);
            engine.forEachHistoryPoint(now, spanMs + 3000, [&](const WindHistoryPoint &point) {
                period.add(point.timeMs, point.directionDegrees, point.speedMetresPerSecond);
            });
            groupChars += period.group().size();
        }
    }
    const double metarMs = timer.nsecsElapsed() / 1e6 / rounds;
    timer.start();
    qint64 roseSamples = 0;
    for (int round = 0; round < rounds; ++round) {
        WindRose rose;
        engine.forEachHistoryPoint(now, WindHistory::keptMs, [&](const WindHistoryPoint &point) {
            rose.add(point.directionDegrees, point.speedMetresPerSecond);
        });
        roseSamples += rose.sampleCount();
    }
    const double roseMs = timer.nsecsElapsed() / 1e6 / rounds;
    std::printf("live reports from an hour at 40 Hz: METAR 2 and 10 min %.2f ms, rose of 60 min "
                "(%lld points) %.2f ms; once a second %.2f %% of a core%s\n",
                metarMs, roseSamples / rounds, roseMs, (metarMs + roseMs) / 10,
                groupChars > 0 ? "" : "!");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption hoursOption(
        QStringLiteral("wind-stats-hours"),
        QStringLiteral("Hours of generated log for wind-stats (default a year); 0 for none."),
        QStringLiteral("hours"), QStringLiteral("8760"));
    parser.addOption(hoursOption);
    parser.process(application);

    std::printf("statistics engine, steady state (10 minutes warm, then timed):\n");
    engineCost(4, 70, 30);
    engineCost(40, 70, 10);
    hourMemory();
    liveReportCost();
    logCost();
    const double hours = parser.value(hoursOption).toDouble();
    if (hours > 0)
        windStatsCost(hours);
    return 0;
}
