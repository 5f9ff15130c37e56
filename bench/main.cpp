// SPDX-License-Identifier: MIT
// wind-bench: measures the real main window, its listening loop and its
// serial control on a pseudo-terminal against what a 9600 baud sensor line
// asks of them, plus example mode and start-up, and prints one table. Two
// yardsticks run beside the application: an empty window's start-up and a
// minimal Qt display of the same frames.

#include "historymemory.h"
#include "linefeeder.h"
#include "painttrace.h"
#include "processfigures.h"
#include "sidebyside.h"
#include "startupprobe.h"
#include "windowsession.h"

#include "app/errorguard.h"
#include "widgets/windowfont.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QStyleFactory>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

using namespace std::chrono_literals;

namespace {

// What the line and the user may expect; printed beside the figures, never
// enforced.
constexpr double QuietCpuLimit = 0.005; // share of one core
constexpr double ExampleCpuLimit = 0.03;
constexpr double LatencyP99LimitMs = 2;
constexpr double LatencyMaxLimitMs = 10;
constexpr qsizetype ReceiveBufferLimit = 2 * LineFeeder::FrameLength;
constexpr double FirstPaintLimitMs = 250;
constexpr qint64 StartupResidentLimitKiB = 60 * 1024;
// What the application may cost beside its yardstick, measured in the same run.
constexpr double StartupYardstickLimit = 1.2;
constexpr double ListeningYardstickLimit = 2.0;
// Under X, as users run it, where both also send their pixels to the server.
constexpr double XListeningYardstickLimit = 1.5;
// The wind history: recording with its window closed, the window open, and
// an hour of samples at 40 a second.
constexpr double RecordingCpuLimit = 0.0005;
constexpr double HistoryWindowCpuLimit = 0.02;
constexpr double HistoryMemoryLimitMb = 10;
// A 24-byte frame takes 25 ms at 9600 baud.
constexpr double LineFramesPerSecond = LineFeeder::BytesPerSecond / LineFeeder::FrameLength;

struct Durations
{
    std::chrono::milliseconds quiet = 10s;
    std::chrono::milliseconds slow = 20s;
    std::chrono::milliseconds line = 10s;
    std::chrono::milliseconds rampStep = 1500ms;
    std::chrono::milliseconds flatOut = 2s;
    std::chrono::milliseconds example = 10s;
    int startups = 15;
    QString otherStartupProgram; // another build of the application, timed in turn
    std::chrono::milliseconds besideYardstick = 20s;
    int yardstickRounds = 3;
    std::chrono::milliseconds history = 30s;
};

Durations quickDurations()
{
    Durations quick;
    quick.quiet = 2s;
    quick.slow = 3s;
    quick.line = 2s;
    quick.rampStep = 500ms;
    quick.flatOut = 500ms;
    quick.example = 2s;
    quick.startups = 3;
    quick.besideYardstick = 3s;
    quick.yardstickRounds = 1;
    quick.history = 3s;
    return quick;
}

enum class Check {
    Cpu, // within cpuLimit
    Latency, // p99 and max within their limits
    Delivery, // every frame shown, in order, the receive buffer within two frames
    Startup,
    Yardstick, // within yardstickLimit times the yardstick's figure
    Figure, // a figure of the row's own, in its note; met when figureMet
};

struct Row
{
    QString id;
    QString what;
    SessionFigures figures;
    bool hasCpu = true;
    bool hasFrames = true;
    std::vector<Check> checks;
    double cpuLimit = 0;
    QString note; // shown in the target column after the checked targets
    std::optional<StartupFigures> startup;
    double yardstickRatio = 0; // this row's figure over its yardstick's
    double yardstickLimit = 0;
    QString summary; // printed below the table
    bool figureMet = true;
};

double percentile(const std::vector<double> &sorted, double fraction)
{
    if (sorted.empty())
        return 0;
    const auto rank = static_cast<size_t>(std::ceil(fraction * double(sorted.size())));
    return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

// Three figures at least: listening at 1 frame/s costs about a tenth of a
// percent, and the rounds' ratios are read from these.
QString percent(double share)
{
    return number(share * 100, share < 0.01 ? 3 : share < 0.1 ? 2 : 1);
}

QString secondsText(std::chrono::milliseconds duration)
{
    return QStringLiteral("%1 s").arg(double(duration.count()) / 1000);
}

QString targetText(const Row &row)
{
    QStringList parts;
    for (Check check : row.checks) {
        switch (check) {
        case Check::Cpu:
            parts << QStringLiteral("CPU ≤ %1 %").arg(row.cpuLimit * 100);
            break;
        case Check::Latency:
            parts << QStringLiteral("p99 ≤ %1 ms, max ≤ %2 ms")
                         .arg(LatencyP99LimitMs)
                         .arg(LatencyMaxLimitMs);
            break;
        case Check::Delivery:
            parts << QStringLiteral("all shown in order, buffer ≤ %1").arg(ReceiveBufferLimit);
            break;
        case Check::Startup:
            parts << QStringLiteral("≤ %1 ms, RSS ≤ %2 MB")
                         .arg(FirstPaintLimitMs)
                         .arg(StartupResidentLimitKiB / 1024);
            break;
        case Check::Yardstick:
            parts << QStringLiteral("≤ %1 × yardstick: %2 ×")
                         .arg(row.yardstickLimit)
                         .arg(number(row.yardstickRatio, 2));
            break;
        case Check::Figure:
            break;
        }
    }
    if (!row.note.isEmpty())
        parts << row.note;
    return parts.join(QStringLiteral("; "));
}

QString verdict(const Row &row)
{
    if (row.checks.empty())
        return QStringLiteral("-");
    const SessionFigures &f = row.figures;
    QStringList missed;
    for (Check check : row.checks) {
        switch (check) {
        case Check::Cpu:
            if (f.cpuShare > row.cpuLimit)
                missed << QStringLiteral("CPU");
            break;
        case Check::Latency:
            if (percentile(f.latenciesMs, 0.99) > LatencyP99LimitMs)
                missed << QStringLiteral("p99");
            if (percentile(f.latenciesMs, 1) > LatencyMaxLimitMs)
                missed << QStringLiteral("max");
            break;
        case Check::Delivery:
            if (f.shown != f.written || !f.inOrder)
                missed << QStringLiteral("delivery");
            if (f.largestReceiveBuffer > ReceiveBufferLimit)
                missed << QStringLiteral("buffer");
            break;
        case Check::Startup: {
            if (!row.startup || row.startup->runs.empty()) {
                missed << QStringLiteral("no run");
                break;
            }
            std::vector<double> times;
            qint64 resident = 0;
            for (const StartupRun &run : row.startup->runs) {
                times.push_back(run.firstPaintMs);
                resident = std::max(resident, run.residentKiB);
            }
            std::sort(times.begin(), times.end());
            if (percentile(times, 0.5) > FirstPaintLimitMs)
                missed << QStringLiteral("time");
            if (resident > StartupResidentLimitKiB)
                missed << QStringLiteral("RSS");
            break;
        }
        case Check::Yardstick:
            if (!(row.yardstickRatio > 0) || row.yardstickRatio > row.yardstickLimit)
                missed << QStringLiteral("yardstick");
            break;
        case Check::Figure:
            if (!row.figureMet)
                missed << QStringLiteral("figure");
            break;
        }
    }
    if (!f.problems.isEmpty())
        missed << QStringLiteral("errors");
    return missed.isEmpty() ? QStringLiteral("met")
                            : QStringLiteral("MISSED: ") + missed.join(u',');
}

QStringList cells(const Row &row)
{
    const SessionFigures &f = row.figures;
    const QString none = QStringLiteral("-");
    const QString cpu = row.hasCpu ? percent(f.cpuShare) : none;
    const QString wakeUps = row.hasCpu ? number(f.wakeUpsPerSecond, 1) : none;
    QString p50 = none, p99 = none, max = none, written = none, shown = none, order = none,
            buffer = none;
    if (row.startup) {
        std::vector<double> times;
        for (const StartupRun &run : row.startup->runs)
            times.push_back(run.firstPaintMs);
        std::sort(times.begin(), times.end());
        if (!times.empty()) {
            p50 = number(percentile(times, 0.5), 1);
            max = number(times.back(), 1);
        }
    }
    if (!f.latenciesMs.empty()) {
        p50 = number(percentile(f.latenciesMs, 0.5), 2);
        p99 = number(percentile(f.latenciesMs, 0.99), 2);
        max = number(f.latenciesMs.back(), 2);
    }
    if (row.hasFrames) {
        written = QString::number(f.written);
        shown = QString::number(f.shown);
        order = f.inOrder ? QStringLiteral("yes") : QStringLiteral("no");
        buffer = QString::number(f.largestReceiveBuffer);
    } else if (f.shown > 0) {
        shown = QString::number(f.shown);
    }
    qint64 resident = f.peakResidentKiB;
    if (row.startup) {
        for (const StartupRun &run : row.startup->runs)
            resident = std::max(resident, run.residentKiB);
    }
    const QString memory = resident > 0 ? number(double(resident) / 1024, 1) : none;
    return {row.id, row.what, cpu,    wakeUps,         p50,         p99, max, written, shown,
            order,  buffer,   memory, targetText(row), verdict(row)};
}

void printTable(const std::vector<Row> &rows)
{
    const QStringList header = {QStringLiteral("#"),
                                QStringLiteral("scenario"),
                                QStringLiteral("CPU % of a core"),
                                QStringLiteral("wake-ups/s"),
                                QStringLiteral("p50 ms"),
                                QStringLiteral("p99 ms"),
                                QStringLiteral("max ms"),
                                QStringLiteral("written"),
                                QStringLiteral("shown"),
                                QStringLiteral("in order"),
                                QStringLiteral("buffer max"),
                                QStringLiteral("peak RSS MB"),
                                QStringLiteral("target"),
                                QStringLiteral("verdict")};
    std::vector<QStringList> lines{header};
    for (const Row &row : rows)
        lines.push_back(cells(row));
    std::vector<qsizetype> widths(header.size(), 3);
    for (const QStringList &line : lines) {
        for (qsizetype i = 0; i < line.size(); ++i)
            widths[i] = std::max(widths[i], line[i].size());
    }
    const auto print = [&](const QStringList &line) {
        QString text = QStringLiteral("|");
        for (qsizetype i = 0; i < line.size(); ++i) {
            // Numbers are right-aligned so that their points line up.
            const bool numeric = i >= 2 && i <= 11;
            text += u' '
                + (numeric ? line[i].rightJustified(widths[i]) : line[i].leftJustified(widths[i]))
                + QStringLiteral(" |");
        }
        std::printf("%s\n", text.toUtf8().constData());
    };
    print(lines.front());
    QString rule = QStringLiteral("|");
    for (qsizetype i = 0; i < qsizetype(header.size()); ++i) {
        const bool numeric = i >= 2 && i <= 11;
        rule += QString(widths[i] + 1, u'-')
            + (numeric ? QStringLiteral(":|") : QStringLiteral("-|"));
    }
    std::printf("%s\n", rule.toUtf8().constData());
    for (size_t i = 1; i < lines.size(); ++i)
        print(lines[i]);
}

void progress(const QString &text)
{
    std::fprintf(stderr, "wind-bench: %s\n", qPrintable(text));
}

Row listeningRow(const QString &id, const QString &what, const LineFeeder::Schedule &schedule)
{
    progress(QStringLiteral("%1 %2").arg(id, what));
    Row row;
    row.id = id;
    row.what = what;
    try {
        row.figures = measureListening(schedule);
    } catch (const std::exception &error) {
        row.figures.problems << QString::fromLocal8Bit(error.what());
    }
    return row;
}

LineFeeder::Schedule paced(double framesPerSecond, std::chrono::milliseconds duration,
                           LineFeeder::Pacing pacing = LineFeeder::Pacing::WholeFrames)
{
    return {pacing, framesPerSecond, duration};
}

// Scenarios 1 to 3: the port read on its signal, as the application reads it.
void lineScenario(int scenario, const Durations &d, std::vector<Row> &rows)
{
    const auto add = [&](Row row, std::vector<Check> checks, double cpuLimit = 0) {
        if (cpuLimit > 0) {
            checks.insert(checks.begin(), Check::Cpu);
            row.cpuLimit = cpuLimit;
        }
        row.checks = checks;
        rows.push_back(row);
    };
    if (scenario == 1) {
        Row row = listeningRow(QStringLiteral("1"),
                               QStringLiteral("quiet line, %1").arg(secondsText(d.quiet)),
                               paced(0, d.quiet));
        row.hasFrames = false;
        add(row, {}, QuietCpuLimit);
    } else if (scenario == 2) {
        for (double rate : {1.0, 4.0}) {
            add(listeningRow(QStringLiteral("2"),
                             QStringLiteral("%1 frame/s, %2").arg(rate).arg(secondsText(d.slow)),
                             paced(rate, d.slow)),
                {Check::Latency, Check::Delivery}, rate == 1.0 ? QuietCpuLimit : 0);
        }
    } else {
        add(listeningRow(QStringLiteral("3"),
                         QStringLiteral("%1 frame/s back to back, %2")
                             .arg(LineFramesPerSecond)
                             .arg(secondsText(d.line)),
                         paced(LineFramesPerSecond, d.line)),
            {Check::Latency, Check::Delivery});
        // A UART without a FIFO, or with a low trigger level, hands over
        // each byte on its own: the most wake-ups the line can cause.
        add(listeningRow(QStringLiteral("3"),
                         QStringLiteral("%1 frame/s byte by byte, %2")
                             .arg(LineFramesPerSecond)
                             .arg(secondsText(d.line)),
                         paced(LineFramesPerSecond, d.line, LineFeeder::Pacing::ByteByByte)),
            {Check::Latency, Check::Delivery});
    }
}

struct RampResult
{
    double queueFree = 0; // the highest rate at which frames never queued
    double queues = 0; // the first rate at which they did
    double flatOutShown = 0; // frames shown a second with the line flat out
};

// Doubles the rate until frames start to wait in the receive buffer, then
// writes as fast as the pseudo-terminal takes them.
RampResult rateRamp(const Durations &d, std::vector<Row> &rows)
{
    RampResult result;
    for (double rate = 2 * LineFramesPerSecond;
         rate * double(d.rampStep.count()) / 1000 < LineFeeder::MaxFrames; rate *= 2) {
        Row row
            = listeningRow(QStringLiteral("4"),
                           QStringLiteral("%1 frame/s, %2").arg(rate).arg(secondsText(d.rampStep)),
                           paced(rate, d.rampStep));
        const SessionFigures &f = row.figures;
        const bool queued = f.largestReceiveBuffer > ReceiveBufferLimit || f.shown != f.written
            || !f.inOrder || !f.problems.isEmpty();
        row.note = queued ? QStringLiteral("frames queue") : QStringLiteral("no queue");
        rows.push_back(row);
        if (queued) {
            result.queues = rate;
            break;
        }
        result.queueFree = rate;
    }
    Row row = listeningRow(QStringLiteral("4"),
                           QStringLiteral("flat out, %1").arg(secondsText(d.flatOut)),
                           {LineFeeder::Pacing::FlatOut, 0, d.flatOut});
    if (row.figures.showingSeconds > 0)
        result.flatOutShown = row.figures.shown / row.figures.showingSeconds;
    row.note = QStringLiteral("%1 frame/s shown").arg(number(result.flatOutShown, 0));
    rows.push_back(row);
    return result;
}

Row exampleModeRow(const Durations &d)
{
    progress(QStringLiteral("5 example mode"));
    Row row;
    row.id = QStringLiteral("5");
    row.what = QStringLiteral("example mode, %1").arg(secondsText(d.example));
    row.hasFrames = false;
    row.checks = {Check::Cpu};
    row.cpuLimit = ExampleCpuLimit;
    row.figures = measureExampleMode(d.example);
    return row;
}

double medianFirstPaintMs(const StartupFigures &figures)
{
    std::vector<double> times;
    for (const StartupRun &run : figures.runs)
        times.push_back(run.firstPaintMs);
    std::sort(times.begin(), times.end());
    return percentile(times, 0.5);
}

// The application and the empty window take turns, so that both meet the
// machine in the same state.
std::vector<Row> startupRows(const Durations &d)
{
    progress(QStringLiteral("6 start-up, beside an empty window"));
    const QString folder = QCoreApplication::applicationDirPath();
    std::vector<StartupSubject> subjects{
        {folder + QStringLiteral("/wind-condition"), QStringLiteral("WindWindow")},
        {folder + QStringLiteral("/wind-bench-empty-window"), QStringLiteral("QWidget")}};
    if (!d.otherStartupProgram.isEmpty())
        subjects.push_back({d.otherStartupProgram, QStringLiteral("WindWindow")});
    const std::vector<StartupFigures> figures = measureStartups(subjects, d.startups);
    std::vector<Row> rows;
    for (const StartupFigures &subject : figures) {
        Row row;
        row.id = QStringLiteral("6");
        row.hasCpu = false;
        row.hasFrames = false;
        row.startup = subject;
        if (!subject.error.isEmpty())
            row.figures.problems << subject.error;
        rows.push_back(row);
    }
    Row &application = rows[0];
    Row &yardstick = rows[1];
    application.what = QStringLiteral("start-up to first paint, %1 runs").arg(d.startups);
    yardstick.what = QStringLiteral("yardstick: empty 873 × 713 window, %1 runs").arg(d.startups);
    application.checks = {Check::Startup, Check::Yardstick};
    application.yardstickLimit = StartupYardstickLimit;
    const double yardstickMs = medianFirstPaintMs(figures[1]);
    if (yardstickMs > 0)
        application.yardstickRatio = medianFirstPaintMs(figures[0]) / yardstickMs;
    application.summary
        = QStringLiteral("Start-up to first paint, median of %1: %2 ms against %3 ms "
                         "for an empty window, %4 × (target ≤ %5 ×).")
              .arg(d.startups)
              .arg(number(medianFirstPaintMs(figures[0]), 1), number(yardstickMs, 1),
                   number(application.yardstickRatio, 2))
              .arg(StartupYardstickLimit);
    if (rows.size() > 2) {
        rows[2].what = QStringLiteral("start-up of %1, %2 runs")
                           .arg(QDir::toNativeSeparators(d.otherStartupProgram))
                           .arg(d.startups);
        rows[2].summary = QStringLiteral("The other build: median %1 ms.")
                              .arg(number(medianFirstPaintMs(figures[2]), 1));
    }
    return rows;
}

// The round whose CPU share is the median; every round's problems.
SessionFigures medianRound(std::vector<SessionFigures> rounds)
{
    std::sort(rounds.begin(), rounds.end(), [](const SessionFigures &a, const SessionFigures &b) {
        return a.cpuShare < b.cpuShare;
    });
    QStringList problems;
    for (const SessionFigures &round : rounds)
        problems << round.problems;
    SessionFigures median = rounds[(rounds.size() - 1) / 2];
    median.problems = problems;
    return median;
}

// One pair of rows of scenario 7: the window and the minimal display, each
// row showing its median round, on the platform named where.
std::vector<Row> sideBySideRows(const std::vector<SideBySideFigures> &rounds, const QString &where,
                                double limit, const Durations &d, const QString &problem)
{
    const auto what = [&](const QString &subject) {
        return QStringLiteral("1 frame/s, %1, %2, median of %3 × %4")
            .arg(subject, where)
            .arg(d.yardstickRounds)
            .arg(secondsText(d.besideYardstick));
    };
    Row application;
    application.id = QStringLiteral("7");
    application.what = what(isClockStopped() ? QStringLiteral("window, clock stopped (trial)")
                                             : QStringLiteral("window"));
    Row yardstick;
    yardstick.id = QStringLiteral("7");
    yardstick.what = what(QStringLiteral("yardstick: minimal Qt display"));
    if (rounds.empty()) {
        application.figures.problems << problem;
        application.hasCpu = application.hasFrames = yardstick.hasCpu = yardstick.hasFrames = false;
        return {application, yardstick};
    }
    std::vector<SessionFigures> window, minimal;
    for (const SideBySideFigures &round : rounds) {
        window.push_back(round.window);
        minimal.push_back(round.minimalDisplay);
    }
    application.figures = medianRound(window);
    yardstick.figures = medianRound(minimal);
    yardstick.checks = {Check::Delivery};
    application.checks = {Check::Delivery, Check::Yardstick};
    application.yardstickLimit = limit;
    // Each round's pair met the machine in the same state, so the ratio is
    // taken round by round.
    std::vector<double> ratios;
    QStringList shares, servers;
    for (const SideBySideFigures &round : rounds) {
        QString ratio;
        if (round.minimalDisplay.cpuShare > 0) {
            ratios.push_back(round.window.cpuShare / round.minimalDisplay.cpuShare);
            ratio = QStringLiteral(" = %1 ×").arg(number(ratios.back(), 2));
        }
        shares << QStringLiteral("%1/%2%3").arg(percent(round.window.cpuShare),
                                                percent(round.minimalDisplay.cpuShare), ratio);
        if (round.windowServerCpuShare >= 0)
            servers << QStringLiteral("%1/%2").arg(percent(round.windowServerCpuShare),
                                                   percent(round.displayServerCpuShare));
    }
    std::sort(ratios.begin(), ratios.end());
    if (!ratios.empty())
        application.yardstickRatio = ratios[(ratios.size() - 1) / 2];
    QStringList notes;
    if (rounds.size() > 1)
        notes << QStringLiteral("median ratio of the rounds (window/display %: %1)")
                     .arg(shares.join(QStringLiteral(", ")));
    if (!servers.isEmpty())
        notes << QStringLiteral("not counted: the X servers' own CPU, window's/display's %: %1")
                     .arg(servers.join(QStringLiteral(", ")));
    application.note = notes.join(QStringLiteral("; "));
    const QString spread = ratios.size() > 1
        ? QStringLiteral(", the rounds from %1 to %2 ×")
              .arg(number(ratios.front(), 2), number(ratios.back(), 2))
        : QString();
    application.summary
        = QStringLiteral("Listening at 1 frame/s, %1, %2 rounds side by side: %3 % of a core "
                         "against %4 % for a minimal Qt display (median rounds), %5 × (median of "
                         "the rounds' ratios%6; target ≤ %7 ×).")
              .arg(where)
              .arg(rounds.size())
              .arg(percent(application.figures.cpuShare), percent(yardstick.figures.cpuShare),
                   number(application.yardstickRatio, 2), spread)
              .arg(limit);
    return {application, yardstick};
}

// The application's window and the minimal display listen at 1 frame a
// second at the same time, the display in a child process, round after
// round: on the bench's own platform, then each on an X server of its own,
// where the pixels they repaint travel to a display server as on a desktop.
std::vector<Row> besideYardstickRows(const Durations &d)
{
    const LineFeeder::Schedule schedule = paced(1, d.besideYardstick);
    std::vector<SideBySideFigures> here;
    for (int round = 0; round < d.yardstickRounds; ++round) {
        progress(QStringLiteral("7 round %1 of %2: the window beside the minimal display")
                     .arg(round + 1)
                     .arg(d.yardstickRounds));
        try {
            here.push_back(measureSideBySide(schedule));
        } catch (const std::exception &error) {
            SideBySideFigures failed;
            failed.window.problems << QString::fromLocal8Bit(error.what());
            here.push_back(failed);
        }
    }
    const QString platform = QGuiApplication::platformName();
    std::vector<Row> rows = sideBySideRows(
        here, platform,
        platform == QLatin1String("xcb") ? XListeningYardstickLimit : ListeningYardstickLimit, d,
        QString());
    if (platform != QLatin1String("xcb")) {
        QString problem;
        const std::vector<SideBySideFigures> onX
            = measureSideBySideOnX(schedule, d.yardstickRounds, problem);
        for (const Row &row : sideBySideRows(onX, QStringLiteral("X server (Xvfb)"),
                                             XListeningYardstickLimit, d, problem))
            rows.push_back(row);
    }
    return rows;
}

// Scenario 8: the main window listening at 4 frames a second with the wind
// history attached as the application attaches it, the data log on: first
// with the history window closed, then open at 60 minutes over an hour of
// samples. The recorder's own time per frame is measured where it runs, since
// 0.05 % of a core is far below what two CPU readings can tell apart.
void historyScenario(const Durations &d, std::vector<Row> &rows)
{
    const LineFeeder::Schedule schedule = paced(4, d.history);
    const auto run
        = [&](const QString &what, const HistoryScenario *history, HistoryFigures *historyFigures) {
              progress(QStringLiteral("8 %1").arg(what));
              Row row;
              row.id = QStringLiteral("8");
              row.what = what;
              try {
                  row.figures = measureListening(schedule, history, historyFigures);
              } catch (const std::exception &error) {
                  row.figures.problems << QString::fromLocal8Bit(error.what());
              }
              row.checks = {Check::Latency, Check::Delivery};
              return row;
          };
    const QString rate = QStringLiteral("4 frame/s, %1").arg(secondsText(d.history));
    Row plain = run(rate + QStringLiteral(", no recorder"), nullptr, nullptr);

    HistoryScenario closed;
    closed.hourBehind = false;
    HistoryFigures recording;
    Row closedRow
        = run(rate + QStringLiteral(", recording + log, history closed"), &closed, &recording);
    const double medianUs = percentile(recording.recordingUs, 0.5);
    const double share = medianUs / 1e6 * 4;
    closedRow.checks.push_back(Check::Figure);
    closedRow.figureMet = share <= RecordingCpuLimit && !recording.recordingUs.empty();
    closedRow.note
        = QStringLiteral("recording %1 µs a frame (p99 %2) = %3 % of a core, ≤ %4 %")
              .arg(number(medianUs, 1), number(percentile(recording.recordingUs, 0.99), 1),
                   number(share * 100, 5))
              .arg(RecordingCpuLimit * 100);

    HistoryScenario open;
    open.windowOpen = true;
    Row openRow
        = run(rate + QStringLiteral(", history open at 60 min, an hour behind"), &open, nullptr);
    const double windowShare = openRow.figures.cpuShare - closedRow.figures.cpuShare;
    openRow.checks.push_back(Check::Figure);
    openRow.figureMet = windowShare <= HistoryWindowCpuLimit;
    openRow.note = QStringLiteral("history window %1 % of a core more than closed, ≤ %2 %")
                       .arg(number(windowShare * 100, 2))
                       .arg(HistoryWindowCpuLimit * 100);
    plain.note = QStringLiteral("for comparison");
    rows.push_back(plain);
    rows.push_back(closedRow);
    rows.push_back(openRow);
}

// Scenario 9: the heap of an hour at 40 samples a second.
Row historyMemoryRow()
{
    progress(QStringLiteral("9 history memory"));
    const HistoryMemory memory = measureHistoryMemory();
    Row row;
    row.id = QStringLiteral("9");
    row.what = QStringLiteral("an hour at 40 frame/s in memory (%1 samples)").arg(memory.samples);
    row.hasCpu = false;
    row.hasFrames = false;
    row.checks = {Check::Figure};
    row.figureMet = memory.withWindowMb <= HistoryMemoryLimitMb;
    row.note = QStringLiteral("heap: recorder %1 MB, with the window open %2 MB, ≤ %3 MB")
                   .arg(number(memory.recorderMb, 2), number(memory.withWindowMb, 2))
                   .arg(HistoryMemoryLimitMb);
    return row;
}

} // namespace

int main(int argc, char *argv[])
{
    WindApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("wind-bench"));
    // As the application sets itself up: the style and the fonts decide what
    // painting costs.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    substituteWindowFonts();
    if (const int status = runSideBySideChild(argc, argv); status >= 0)
        return status;

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Measures the listening path, example mode, start-up and the wind history of\n"
        "wind-condition against the limits of a 9600 baud sensor line and prints one table.\n"
        "Run it with QT_QPA_PLATFORM=offscreen where no display is at hand."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("quick"), QStringLiteral("Short durations, for a smoke run.")},
        {QStringLiteral("scenario"), QStringLiteral("Run only scenario N (1 to 9)."),
         QStringLiteral("N")},
        {QStringLiteral("compare-startup"),
         QStringLiteral("Time another build of wind-condition in scenario 6 as well, in turn "
                        "with this one and the empty window."),
         QStringLiteral("PROGRAM")},
        {QStringLiteral("paint-trace"),
         QStringLiteral("Instead of the table: what the window repaints, pass by pass and control "
                        "by control, listening at 1 frame/s for 20 s (--quick: 5 s).")},
        {QStringLiteral("stop-clock"),
         QStringLiteral("A trial: the window's clock stands still in scenario 7 and the paint "
                        "trace, which then tell what its tick costs.")},
        {QStringLiteral("rounds"),
         QStringLiteral("Rounds of scenario 7, each the window and the minimal display at the "
                        "same time (default 3)."),
         QStringLiteral("N")},
    });
    parser.process(app);
    int only = 0;
    if (parser.isSet(QStringLiteral("scenario"))) {
        bool ok = false;
        only = parser.value(QStringLiteral("scenario")).toInt(&ok);
        if (!ok || only < 1 || only > 9) {
            std::fprintf(stderr, "wind-bench: --scenario must be 1 to 9\n");
            return 2;
        }
    }
    Durations durations = parser.isSet(QStringLiteral("quick")) ? quickDurations() : Durations();
    durations.otherStartupProgram = parser.value(QStringLiteral("compare-startup"));
    if (parser.isSet(QStringLiteral("rounds"))) {
        bool ok = false;
        durations.yardstickRounds = parser.value(QStringLiteral("rounds")).toInt(&ok);
        if (!ok || durations.yardstickRounds < 1) {
            std::fprintf(stderr, "wind-bench: --rounds must be 1 or more\n");
            return 2;
        }
    }
    setClockStopped(parser.isSet(QStringLiteral("stop-clock")));
    if (parser.isSet(QStringLiteral("paint-trace"))) {
        printPaintTrace(parser.isSet(QStringLiteral("quick")) ? 5s : 20s);
        return 0;
    }
    const auto wanted = [only](int scenario) {
        return only == 0 || only == scenario;
    };

    std::printf("Machine: %s\n", qPrintable(machineDescription()));
    std::printf("Qt %s, platform \"%s\"; the window is shown in every scenario.\n\n", qVersion(),
                qPrintable(QGuiApplication::platformName()));
    std::fflush(stdout);

    std::vector<Row> rows;
    for (int scenario = 1; scenario <= 3; ++scenario) {
        if (wanted(scenario))
            lineScenario(scenario, durations, rows);
    }
    std::optional<RampResult> ramp;
    if (wanted(4))
        ramp = rateRamp(durations, rows);
    if (wanted(5))
        rows.push_back(exampleModeRow(durations));
    if (wanted(6)) {
        for (const Row &row : startupRows(durations))
            rows.push_back(row);
    }
    if (wanted(7)) {
        for (const Row &row : besideYardstickRows(durations))
            rows.push_back(row);
    }
    if (wanted(8))
        historyScenario(durations, rows);
    if (wanted(9))
        rows.push_back(historyMemoryRow());

    printTable(rows);
    std::printf(
        "\nCPU: the process's CPU time per second of wall time, less the feeding thread's; "
        "100 is one core.\n"
        "wake-ups/s: how often a thread of the process woke from a wait (its voluntary context "
        "switches), per second, the feeding thread's left out.\n"
        "p50/p99/max: from the write that completed a frame (its last checksum digit) to the "
        "end of the refresh that showed it (scenario 6: spawn to first paint, median "
        "and slowest run).\n"
        "buffer max: the most characters the listening loop's receive buffer held.\n"
        "peak RSS: the process's peak resident size during the scenario (scenario 6: "
        "the program's resident size after its first paint).\n"
        "yardsticks: scenario 6 starts the application and an empty 873 × 713 window of the "
        "same style in turn; scenario 7 feeds the window and a minimal Qt display (a "
        "readyRead handler that sets six labels and repaints one 250 × 210 antialiased "
        "dial, in a child process) at the same time, each from a line of its own, on the "
        "bench's platform and then each on an Xvfb server of its own.\n");
    if (ramp) {
        std::printf("\nFrames start to queue in the receive buffer at %s frame/s (queue-free "
                    "at %s frame/s); the line itself carries %s frame/s.\n",
                    ramp->queues > 0 ? qPrintable(number(ramp->queues, 0)) : "no tried rate",
                    ramp->queueFree > 0 ? qPrintable(number(ramp->queueFree, 0)) : "-",
                    qPrintable(number(LineFramesPerSecond, 0)));
        std::printf("With the line flat out, frames queue and the loop shows %s frame/s.\n",
                    qPrintable(number(ramp->flatOutShown, 0)));
    }
    bool summaryStarted = false;
    for (const Row &row : rows) {
        if (row.summary.isEmpty())
            continue;
        if (!summaryStarted)
            std::printf("\n");
        summaryStarted = true;
        std::printf("%s\n", qPrintable(row.summary));
    }
    bool anyProblem = false;
    for (const Row &row : rows) {
        for (const QString &problem : row.figures.problems) {
            if (!anyProblem)
                std::printf("\nProblems:\n");
            anyProblem = true;
            std::printf("  %s %s: %s\n", qPrintable(row.id), qPrintable(row.what),
                        qPrintable(problem));
        }
    }
    if (std::any_of(rows.begin(), rows.end(),
                    [](const Row &row) { return row.figures.peakSinceProcessStart; }))
        std::printf("\nThe kernel would not reset the peak resident size: peak RSS counts from "
                    "the benchmark's start.\n");
    return 0;
}
