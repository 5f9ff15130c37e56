// SPDX-License-Identifier: MIT
#include "sidebyside.h"

#include "minimaldisplay.h"
#include "processfigures.h"
#include "virtualdisplay.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <cstdio>
#include <cstring>
#include <thread>

namespace {
constexpr int ChildTimeoutMs = 15000; // beyond the schedule

// One figure a line, "name value"; latencies and problems repeat.
QByteArray serialized(const SessionFigures &figures)
{
    QByteArray text;
    const auto line = [&text](const char *name, const QByteArray &value) {
        text += name + QByteArray(" ") + value + '\n';
    };
    line("cpu", QByteArray::number(figures.cpuShare, 'g', 10));
    line("seconds", QByteArray::number(figures.seconds, 'g', 10));
    line("wakeups", QByteArray::number(figures.wakeUpsPerSecond, 'g', 10));
    line("showing", QByteArray::number(figures.showingSeconds, 'g', 10));
    line("written", QByteArray::number(figures.written));
    line("shown", QByteArray::number(figures.shown));
    line("inorder", figures.inOrder ? "1" : "0");
    line("buffer", QByteArray::number(figures.largestReceiveBuffer));
    line("peak", QByteArray::number(figures.peakResidentKiB));
    for (double latency : figures.latenciesMs)
        line("latency", QByteArray::number(latency, 'g', 10));
    for (const QString &problem : figures.problems)
        line("problem", problem.simplified().toUtf8());
    return text;
}

SessionFigures parsed(const QByteArray &text)
{
    SessionFigures figures;
    for (const QByteArray &line : text.split('\n')) {
        const qsizetype space = line.indexOf(' ');
        if (space < 0)
            continue;
        const QByteArray name = line.left(space);
        const QByteArray value = line.mid(space + 1);
        if (name == "cpu")
            figures.cpuShare = value.toDouble();
        else if (name == "wakeups")
            figures.wakeUpsPerSecond = value.toDouble();
        else if (name == "seconds")
            figures.seconds = value.toDouble();
        else if (name == "showing")
            figures.showingSeconds = value.toDouble();
        else if (name == "written")
            figures.written = value.toInt();
        else if (name == "shown")
            figures.shown = value.toInt();
        else if (name == "inorder")
            figures.inOrder = value == "1";
        else if (name == "buffer")
            figures.largestReceiveBuffer = value.toLongLong();
        else if (name == "peak")
            figures.peakResidentKiB = value.toLongLong();
        else if (name == "latency")
            figures.latenciesMs.push_back(value.toDouble());
        else if (name == "problem")
            figures.problems << QString::fromUtf8(value);
    }
    return figures;
}

// Round after round: the window's figures on lines that start "w ", the
// display's on lines that start "d ", then "servers" and both servers' CPU
// shares, then "end".
QByteArray serializedRounds(const std::vector<SideBySideFigures> &rounds)
{
    QByteArray text;
    for (const SideBySideFigures &round : rounds) {
        const auto prefixed = [&text](const SessionFigures &figures, const QByteArray &prefix) {
            for (const QByteArray &line : serialized(figures).split('\n')) {
                if (!line.isEmpty())
                    text += prefix + line + '\n';
            }
        };
        prefixed(round.window, "w ");
        prefixed(round.minimalDisplay, "d ");
        text += "servers " + QByteArray::number(round.windowServerCpuShare, 'g', 10) + ' '
            + QByteArray::number(round.displayServerCpuShare, 'g', 10) + "\nend\n";
    }
    return text;
}

std::vector<SideBySideFigures> parsedRounds(const QByteArray &text)
{
    std::vector<SideBySideFigures> rounds;
    QByteArray window, display;
    double windowServer = -1, displayServer = -1;
    for (const QByteArray &line : text.split('\n')) {
        if (line.startsWith("w ")) {
            window += line.mid(2) + '\n';
        } else if (line.startsWith("d ")) {
            display += line.mid(2) + '\n';
        } else if (line.startsWith("servers ")) {
            const QList<QByteArray> shares = line.split(' ');
            windowServer = shares.value(1).toDouble();
            displayServer = shares.value(2).toDouble();
        } else if (line == "end") {
            rounds.push_back({parsed(window), parsed(display), windowServer, displayServer});
            window.clear();
            display.clear();
        }
    }
    return rounds;
}

int runMinimalDisplayChild(char *argv[])
{
    const LineFeeder::Schedule schedule{LineFeeder::Pacing::WholeFrames, std::atof(argv[2]),
                                        std::chrono::milliseconds(std::atoll(argv[3]))};
    // Half a period after the window's line, so that the two never handle a
    // frame at the same moment and each meets the machine as if alone.
    const auto offset = schedule.framesPerSecond > 0
        ? std::chrono::duration<double>(0.5 / schedule.framesPerSecond)
        : std::chrono::duration<double>(0);
    SessionFigures figures;
    try {
        figures = measureMinimalDisplay(schedule, [offset] {
            std::printf("ready\n");
            std::fflush(stdout);
            char line[16];
            if (!std::fgets(line, sizeof line, stdin))
                std::exit(1);
            std::this_thread::sleep_for(offset);
        });
    } catch (const std::exception &error) {
        figures.problems << QString::fromLocal8Bit(error.what());
    }
    const QByteArray text = serialized(figures);
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    return 0;
}

int runXRoundsChild(char *argv[])
{
    const LineFeeder::Schedule schedule{LineFeeder::Pacing::WholeFrames, std::atof(argv[2]),
                                        std::chrono::milliseconds(std::atoll(argv[3]))};
    const int rounds = std::atoi(argv[4]);
    const DisplayServers servers{std::atoll(argv[5]), QString::fromLocal8Bit(argv[6]),
                                 std::atoll(argv[7])};
    setClockStopped(std::strcmp(argv[8], "clock-stopped") == 0);
    std::vector<SideBySideFigures> figures;
    for (int round = 0; round < rounds; ++round) {
        std::fprintf(stderr,
                     "wind-bench: 7 round %d of %d under X: the window beside the minimal "
                     "display\n",
                     round + 1, rounds);
        try {
            figures.push_back(measureSideBySide(schedule, &servers));
        } catch (const std::exception &error) {
            SideBySideFigures failed;
            failed.window.problems << QString::fromLocal8Bit(error.what());
            figures.push_back(failed);
        }
    }
    const QByteArray text = serializedRounds(figures);
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    return 0;
}
} // namespace

SideBySideFigures measureSideBySide(const LineFeeder::Schedule &schedule,
                                    const DisplayServers *servers)
{
    SideBySideFigures figures;
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (servers) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), servers->minimalDisplay);
        child.setProcessEnvironment(environment);
    }
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(ChildOption), QString::number(schedule.framesPerSecond),
                 QString::number(schedule.duration.count())});
    // The child says "ready" once its display is shown and settled, then
    // waits for "go".
    QByteArray output;
    while (!output.contains("ready\n") && child.waitForReadyRead(ChildTimeoutMs))
        output += child.readAllStandardOutput();
    if (!output.contains("ready\n")) {
        child.kill();
        child.waitForFinished();
        figures.minimalDisplay.problems << QStringLiteral("the minimal display did not start");
        return figures;
    }
    // Each X server's CPU time over the window's measured span.
    double windowServerBefore = 0, displayServerBefore = 0;
    const auto serverCpu = [servers](bool window) {
        return processCpuSeconds(window ? servers->windowServerPid : servers->minimalServerPid);
    };
    const auto start = [&] {
        child.write("go\n");
        child.waitForBytesWritten();
        if (servers) {
            windowServerBefore = serverCpu(true);
            displayServerBefore = serverCpu(false);
        }
    };
    const auto end = [&] {
        if (!servers)
            return;
        const double seconds = double(schedule.duration.count()) / 1000;
        figures.windowServerCpuShare = (serverCpu(true) - windowServerBefore) / seconds;
        figures.displayServerCpuShare = (serverCpu(false) - displayServerBefore) / seconds;
    };
    figures.window = measureListening(schedule, nullptr, nullptr, start, end);
    if (!child.waitForFinished(int(schedule.duration.count()) + ChildTimeoutMs)) {
        child.kill();
        child.waitForFinished();
    }
    output += child.readAllStandardOutput();
    figures.minimalDisplay = parsed(output.mid(output.indexOf("ready\n") + 6));
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        figures.minimalDisplay.problems << QStringLiteral("the minimal display failed");
    return figures;
}

std::vector<SideBySideFigures> measureSideBySideOnX(const LineFeeder::Schedule &schedule,
                                                    int rounds, QString &problem)
{
    VirtualDisplay windowServer;
    VirtualDisplay displayServer;
    for (const VirtualDisplay *server : {&windowServer, &displayServer}) {
        if (!server->isRunning()) {
            problem = server->error();
            return {};
        }
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("DISPLAY"), windowServer.name());
    QString program = QCoreApplication::applicationFilePath();
    QStringList arguments{QString::fromLatin1(XRoundsOption),
                          QString::number(schedule.framesPerSecond),
                          QString::number(schedule.duration.count()),
                          QString::number(rounds),
                          QString::number(windowServer.pid()),
                          displayServer.name(),
                          QString::number(displayServer.pid()),
                          isClockStopped() ? QStringLiteral("clock-stopped")
                                           : QStringLiteral("clock-running")};
    // Without a session bus, the first D-Bus client on an X display starts
    // one of its own that outlives the bench; a desktop has one anyway.
    const QString privateBus = QStandardPaths::findExecutable(QStringLiteral("dbus-run-session"));
    if (!environment.contains(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"))
        && !privateBus.isEmpty()) {
        arguments.prepend(program);
        arguments.prepend(QStringLiteral("--"));
        program = privateBus;
    }
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.setProcessEnvironment(environment);
    child.start(program, arguments);
    const qint64 budgetMs = rounds * (schedule.duration.count() + 2 * ChildTimeoutMs);
    if (!child.waitForFinished(int(budgetMs))) {
        child.kill();
        child.waitForFinished();
        problem = QStringLiteral("the rounds under X did not end");
        return {};
    }
    std::vector<SideBySideFigures> figures = parsedRounds(child.readAllStandardOutput());
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0 || figures.empty())
        problem = QStringLiteral("the rounds under X failed (exit code %1)").arg(child.exitCode());
    return figures;
}

int runSideBySideChild(int argc, char *argv[])
{
    if (argc == 4 && std::strcmp(argv[1], ChildOption) == 0)
        return runMinimalDisplayChild(argv);
    if (argc == 9 && std::strcmp(argv[1], XRoundsOption) == 0)
        return runXRoundsChild(argv);
    return -1;
}
