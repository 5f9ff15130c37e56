#include "sidebyside.h"

#include "minimaldisplay.h"

#include <QCoreApplication>
#include <QProcess>
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
} // namespace

SideBySideFigures measureSideBySide(const LineFeeder::Schedule &schedule)
{
    SideBySideFigures figures;
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
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
    figures.window = measureListening(schedule, ListeningYieldKind::Waiting, nullptr, nullptr, [&child] {
        child.write("go\n");
        child.waitForBytesWritten();
    });
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

int runSideBySideChild(int argc, char *argv[])
{
    if (argc != 4 || std::strcmp(argv[1], ChildOption) != 0)
        return -1;
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
