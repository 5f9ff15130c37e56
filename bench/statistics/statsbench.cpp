// stats-bench: what recording samples costs. Prints the statistics engine's
// time per sample and per snapshot at 4 and 40 samples a second, its heap
// for an hour at 40 a second, and the data log's time per row with the cost
// of the check that its file is still at its path.
//
//   stats-bench

#include "core/filecalls.h"
#include "core/utctime.h"
#include "core/windlogrow.h"
#include "core/windlogwriter.h"
#include "core/windsample.h"
#include "core/windstatistics.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#if defined(__GLIBC__)
#include <malloc.h>
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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    std::printf("statistics engine, steady state (10 minutes warm, then timed):\n");
    engineCost(4, 70, 30);
    engineCost(40, 70, 10);
    hourMemory();
    logCost();
    return 0;
}
