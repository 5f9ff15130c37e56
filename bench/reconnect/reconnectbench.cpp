// SPDX-License-Identifier: MIT
// serial-reconnect-bench: a sensor on a pseudo-terminal behind a symbolic
// link, as a by-id name leads to a USB adapter. wind-sensor-sim sends two
// frames a second; it is stopped, and 2 s later a new one is started and the
// link turned to its terminal. The serial transport, with reconnecting on,
// is read through the sensor's frame reader as the application reads it.
// With --stranger, another program's terminal takes the freed terminal's
// number during those 2 s and holds it for 6 s, as a shell or a build tool
// opening a terminal does. Prints, for each run, when the loss was seen, when the port was opened
// again and when the first reading of the new terminal came, counted from
// the moment the link was turned; then the median and the worst.

#include "core/sensorframereader.h"
#include "platform/serialtransport.h"
#include "platform/windlink.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {

// Runs the event loop until done() holds or the time is up.
bool waitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return done();
}

// A simulator on a new pseudo-terminal; returns the terminal's path, which
// it prints on its first line.
QString startSimulator(QProcess &simulator, const QStringList &command)
{
    simulator.setProgram(command.first());
    simulator.setArguments(command.mid(1));
    simulator.setProcessChannelMode(QProcess::SeparateChannels);
    simulator.setStandardErrorFile(QProcess::nullDevice());
    simulator.start();
    if (!waitFor([&] { return simulator.canReadLine(); }, 5000))
        return {};
    return QString::fromLocal8Bit(simulator.readLine()).trimmed();
}

// Turns the link to target in one step, as udev replaces a by-id link.
bool pointLink(const QString &link, const QString &target)
{
    const QString fresh = link + QStringLiteral(".new");
    QFile::remove(fresh);
    return QFile::link(target, fresh) && ::rename(qPrintable(fresh), qPrintable(link)) == 0;
}

// Opens pseudo-terminals until one gets the name given, and keeps that one
// for holdMs; -1 when another program got the name first.
int takeTerminalName(const QString &name, int holdMs)
{
    std::vector<int> others;
    int taken = -1;
    while (taken < 0 && others.size() < 64) {
        const int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (fd < 0)
            break;
        ::grantpt(fd);
        ::unlockpt(fd);
        if (QString::fromLocal8Bit(::ptsname(fd)) == name)
            taken = fd;
        else
            others.push_back(fd);
    }
    for (int fd : others)
        ::close(fd);
    if (taken >= 0)
        QTimer::singleShot(holdMs, [taken] { ::close(taken); });
    return taken;
}

struct Run
{
    qint64 lostMs = -1; // after the simulator stopped
    qint64 reopenedMs = -1; // after the link was turned
    qint64 readingMs = -1; // likewise
    int lookups = 0; // times the port's device was asked for after the loss
};

Run runOnce(const QStringList &simulatorProgram, bool stranger)
{
    Run run;
    QTemporaryDir folder;
    const QString link = folder.filePath(QStringLiteral("usb-Sensor-if00"));
    QProcess first;
    const QString firstTerminal = startSimulator(first, simulatorProgram);
    if (firstTerminal.isEmpty() || !pointLink(link, firstTerminal))
        return run;

    bool lostSeen = false;
    auto transport = std::make_unique<SerialTransport>(1, [&](int) {
        if (lostSeen)
            ++run.lookups;
        return link;
    });
    transport->setReconnect(true);
    WindLink windLink(std::move(transport), std::make_unique<SensorFrameReader>());
    int readings = 0;
    QElapsedTimer clock;
    clock.start();
    qint64 stoppedAt = 0;
    qint64 turnedAt = 0;
    QObject::connect(&windLink, &WindLink::readingReceived, [&] {
        ++readings;
        if (turnedAt && run.reopenedMs >= 0 && run.readingMs < 0)
            run.readingMs = clock.elapsed() - turnedAt;
    });
    QObject::connect(&windLink, &WindLink::lineLost, [&] {
        lostSeen = true;
        run.lostMs = clock.elapsed() - stoppedAt;
    });
    QObject::connect(&windLink, &WindLink::lineBack,
                     [&] { run.reopenedMs = turnedAt ? clock.elapsed() - turnedAt : -2; });
    try {
        windLink.open();
    } catch (const AppError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.description()));
        return run;
    }
    waitFor([&] { return readings >= 2; }, 3000);

    first.terminate();
    first.waitForFinished(3000);
    stoppedAt = clock.elapsed();
    if (stranger) {
        waitFor([&] { return lostSeen; }, 2000);
        if (takeTerminalName(firstTerminal, 6000) < 0)
            std::fprintf(stderr, "another program took %s first\n", qPrintable(firstTerminal));
    }
    waitFor([] { return false; }, 2000);

    QProcess second;
    const QString secondTerminal = startSimulator(second, simulatorProgram);
    if (secondTerminal.isEmpty() || !pointLink(link, secondTerminal))
        return run;
    turnedAt = clock.elapsed();
    waitFor([&] { return run.readingMs >= 0; }, 15000);
    windLink.close();
    second.terminate();
    second.waitForFinished(3000);
    return run;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int runs = arguments.size() > 1 ? arguments[1].toInt() : 8;
    // Another far end may be named after the number of runs: a program and
    // its arguments that print the terminal's path and send two frames a
    // second.
    const bool stranger = arguments.value(2) == QLatin1String("--stranger");
    QStringList simulator = arguments.mid(stranger ? 3 : 2);
    if (simulator.isEmpty())
        simulator = {QDir(QCoreApplication::applicationDirPath())
                         .filePath(QStringLiteral("wind-sensor-sim")),
                     QStringLiteral("--rate"), QStringLiteral("2")};

    std::printf("run  lost after stop  reopened after turn  reading after turn  look-ups\n");
    std::vector<double> readingTimes;
    for (int i = 1; i <= runs; ++i) {
        const Run run = runOnce(simulator, stranger);
        std::printf("%3d  %12lld ms  %16lld ms  %15lld ms  %8d\n", i, qlonglong(run.lostMs),
                    qlonglong(run.reopenedMs), qlonglong(run.readingMs), run.lookups);
        std::fflush(stdout);
        readingTimes.push_back(run.readingMs < 0 ? 1e9 : double(run.readingMs));
    }
    std::sort(readingTimes.begin(), readingTimes.end());
    std::printf("reading after the turn: median %.0f ms, worst %.0f ms (-1: none in 15 s)\n",
                readingTimes[readingTimes.size() / 2], readingTimes.back());
    return 0;
}
