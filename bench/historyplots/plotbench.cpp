// SPDX-License-Identifier: MIT
// history-plot-bench: what the history window's two plots cost, painted by
// TimePlot or drawn by Qt Charts, with an hour of history behind them, four
// new samples a second and a refresh once a second, the window shown. Prints
// the CPU of each way as a share of one core, less that of recording alone.

#include "processfigures.h"

#include "app/historywindow.h"
#include "feed/windrecorder.h"
#include "widgets/timeplot.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineSeries>
#include <QScatterSeries>
#include <QStyleFactory>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>

namespace {
constexpr qint64 HourMs = 60 * 60 * 1000;
constexpr qint64 SampleIntervalMs = 250; // 4 samples a second
constexpr int RefreshMs = 1000;
constexpr double Kmh = 3.6;

// A random walk of direction (across north) and speed on the recorder's own
// clock, which the bench moves.
class SampleSource
{
public:
    explicit SampleSource(WindRecorder &recorder, qint64 &clock)
        : m_recorder(recorder)
        , m_clock(clock)
    { }

    void next()
    {
        m_clock += SampleIntervalMs;
        m_seed = m_seed * 1103515245u + 12345u;
        const double a = double((m_seed >> 16) & 0x7fff) / 32768.0;
        m_seed = m_seed * 1103515245u + 12345u;
        const double b = double((m_seed >> 16) & 0x7fff) / 32768.0;
        m_direction = std::fmod(m_direction + (a - 0.5) * 8 + 360, 360);
        m_speed = std::clamp(m_speed + (b - 0.5), 0.0, 30.0);
        m_recorder.recordSample({m_clock, m_direction, m_speed}, WindSource::Sensor, 1);
    }

private:
    WindRecorder &m_recorder;
    qint64 &m_clock;
    unsigned m_seed = 7;
    double m_direction = 350;
    double m_speed = 8;
};

// The two plots of one kind, refreshed from the recorder.
class Plots
{
public:
    virtual ~Plots() = default;
    virtual QWidget *widget() = 0;
    virtual void refresh(WindRecorder &recorder, qint64 now, qint64 spanMs) = 0;
};

class PaintedPlots : public Plots
{
public:
    PaintedPlots()
    {
        auto *layout = new QVBoxLayout(&m_widget);
        m_speed = new TimePlot(&m_widget);
        m_speed->setSeries({{QStringLiteral("speed"), TimePlot::Style::Line, Qt::gray},
                            {QStringLiteral("mean"), TimePlot::Style::Line, Qt::blue},
                            {QStringLiteral("gust"), TimePlot::Style::Line, Qt::red}});
        m_direction = new TimePlot(&m_widget);
        m_direction->setSeries({{QStringLiteral("direction"), TimePlot::Style::Points, Qt::blue}});
        m_direction->setValueAxis(0, 360, {{0, QStringLiteral("N")}, {180, QStringLiteral("S")}});
        layout->addWidget(m_speed, 3);
        layout->addWidget(m_direction, 2);
    }
    QWidget *widget() override { return &m_widget; }
    void refresh(WindRecorder &recorder, qint64 now, qint64 spanMs) override
    {
        m_speed->setValueAxis(0, 120, {{0, QStringLiteral("0")}, {60, QStringLiteral("60")}});
        m_speed->beginData(now, spanMs);
        m_direction->beginData(now, spanMs);
        recorder.forEachHistoryPoint(now, spanMs, [this](const WindHistoryPoint &point) {
            m_speed->addPoint(0, point.timeMs, point.speedMetresPerSecond * Kmh);
            m_speed->addPoint(1, point.timeMs, point.twoMinuteMeanSpeed * Kmh);
            m_speed->addPoint(2, point.timeMs, point.tenMinuteGust * Kmh);
            m_direction->addPoint(0, point.timeMs, point.directionDegrees);
        });
        m_speed->endData();
        m_direction->endData();
    }

private:
    QWidget m_widget;
    TimePlot *m_speed = nullptr;
    TimePlot *m_direction = nullptr;
};

// The same plots as Qt Charts draws them: three line series and a scatter
// series, each replaced whole at every refresh. decimated: each line first
// reduced to the first, lowest, highest and last point of 1200 columns, as
// TimePlot does, and the scatter to one point per column and degree.
class ChartPlots : public Plots
{
public:
    explicit ChartPlots(bool decimated)
        : m_decimated(decimated)
    {
        auto *layout = new QVBoxLayout(&m_widget);
        auto *speedChart = new QChart;
        // One-pixel pens, as TimePlot draws: wider lines cost several times
        // more in both.
        for (QLineSeries *&series : m_lines) {
            series = new QLineSeries;
            series->setPen(QPen(Qt::blue, 1));
            speedChart->addSeries(series);
        }
        m_speedTime = new QValueAxis;
        auto *speedAxis = new QValueAxis;
        speedAxis->setRange(0, 120);
        speedChart->addAxis(m_speedTime, Qt::AlignBottom);
        speedChart->addAxis(speedAxis, Qt::AlignLeft);
        for (QLineSeries *series : m_lines) {
            series->attachAxis(m_speedTime);
            series->attachAxis(speedAxis);
        }
        auto *directionChart = new QChart;
        m_points = new QScatterSeries;
        m_points->setMarkerSize(3);
        directionChart->addSeries(m_points);
        m_directionTime = new QValueAxis;
        auto *directionAxis = new QValueAxis;
        directionAxis->setRange(0, 360);
        directionChart->addAxis(m_directionTime, Qt::AlignBottom);
        directionChart->addAxis(directionAxis, Qt::AlignLeft);
        m_points->attachAxis(m_directionTime);
        m_points->attachAxis(directionAxis);
        auto *speedView = new QChartView(speedChart, &m_widget);
        auto *directionView = new QChartView(directionChart, &m_widget);
        speedView->setRenderHint(QPainter::Antialiasing);
        directionView->setRenderHint(QPainter::Antialiasing);
        layout->addWidget(speedView, 3);
        layout->addWidget(directionView, 2);
    }
    QWidget *widget() override { return &m_widget; }
    void refresh(WindRecorder &recorder, qint64 now, qint64 spanMs) override
    {
        const std::vector<WindHistoryPoint> points = recorder.history(now, spanMs);
        QList<QPointF> lines[3];
        QList<QPointF> directions;
        const auto minutesBefore = [now](qint64 t) {
            return double(t - now) / 60000;
        };
        if (!m_decimated) {
            for (auto &line : lines)
                line.reserve(qsizetype(points.size()));
            directions.reserve(qsizetype(points.size()));
            for (const WindHistoryPoint &point : points) {
                const double x = minutesBefore(point.timeMs);
                lines[0].append({x, point.speedMetresPerSecond * Kmh});
                lines[1].append({x, point.twoMinuteMeanSpeed * Kmh});
                lines[2].append({x, point.tenMinuteGust * Kmh});
                directions.append({x, point.directionDegrees});
            }
        } else {
            decimate(points, now, spanMs, lines, directions);
        }
        for (int i = 0; i < 3; ++i)
            m_lines[i]->replace(lines[i]);
        m_points->replace(directions);
        m_speedTime->setRange(-double(spanMs) / 60000, 0);
        m_directionTime->setRange(-double(spanMs) / 60000, 0);
    }

private:
    static void decimate(const std::vector<WindHistoryPoint> &points, qint64 now, qint64 spanMs,
                         QList<QPointF> (&lines)[3], QList<QPointF> &directions)
    {
        constexpr int Columns = TimePlot::Columns;
        struct Cell
        {
            float first, low, high, last;
            bool used = false;
        };
        std::vector<Cell> cells[3];
        for (auto &c : cells)
            c.assign(Columns, Cell());
        std::vector<std::bitset<360>> seen(Columns);
        for (const WindHistoryPoint &point : points) {
            const int column = int((point.timeMs - (now - spanMs) - 1) * Columns / spanMs);
            const float values[3]
                = {point.speedMetresPerSecond, point.twoMinuteMeanSpeed, point.tenMinuteGust};
            for (int i = 0; i < 3; ++i) {
                Cell &cell = cells[i][size_t(column)];
                const float v = values[i] * float(Kmh);
                if (!cell.used)
                    cell = {v, v, v, v, true};
                cell.low = std::min(cell.low, v);
                cell.high = std::max(cell.high, v);
                cell.last = v;
            }
            const int degree = int(point.directionDegrees) % 360;
            if (!seen[size_t(column)].test(size_t(degree))) {
                seen[size_t(column)].set(size_t(degree));
                directions.append(
                    {-double(spanMs) / 60000 * (1 - (column + 0.5) / Columns), double(degree)});
            }
        }
        for (int i = 0; i < 3; ++i) {
            for (int column = 0; column < Columns; ++column) {
                const Cell &cell = cells[i][size_t(column)];
                if (!cell.used)
                    continue;
                const double x = -double(spanMs) / 60000 * (1 - (column + 0.5) / Columns);
                lines[i] << QPointF(x, cell.first) << QPointF(x, cell.low) << QPointF(x, cell.high)
                         << QPointF(x, cell.last);
            }
        }
    }

    bool m_decimated;
    QWidget m_widget;
    QLineSeries *m_lines[3] = {};
    QScatterSeries *m_points = nullptr;
    QValueAxis *m_speedTime = nullptr;
    QValueAxis *m_directionTime = nullptr;
};

struct Figures
{
    double cpuShare = 0;
    double refreshMs = 0; // mean time of one refresh call, painting excluded
};

// Feeds 4 samples a second for the duration, refreshing the plots once a
// second when there are any, and measures the process's CPU.
Figures run(WindRecorder &recorder, SampleSource &source, qint64 &clock, Plots *plots,
            qint64 spanMs, int seconds)
{
    QTimer sampler;
    sampler.setTimerType(Qt::PreciseTimer);
    QObject::connect(&sampler, &QTimer::timeout, [&] { source.next(); });
    QTimer refresher;
    double refreshNs = 0;
    int refreshes = 0;
    QObject::connect(&refresher, &QTimer::timeout, [&] {
        QElapsedTimer timer;
        timer.start();
        plots->refresh(recorder, clock, spanMs);
        refreshNs += double(timer.nsecsElapsed());
        ++refreshes;
    });
    if (plots) {
        plots->widget()->resize(720, 480);
        plots->widget()->show();
        plots->refresh(recorder, clock, spanMs);
    }
    QEventLoop settle;
    QTimer::singleShot(500, &settle, &QEventLoop::quit);
    settle.exec();

    const double cpuBefore = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    sampler.start(int(SampleIntervalMs));
    if (plots)
        refresher.start(RefreshMs);
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    sampler.stop();
    refresher.stop();
    Figures figures;
    figures.cpuShare = (processCpuSeconds() - cpuBefore) / (double(wall.elapsed()) / 1000);
    figures.refreshMs = refreshes > 0 ? refreshNs / refreshes / 1e6 : 0;
    if (plots)
        plots->widget()->hide();
    return figures;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "CPU of the history plots, painted or in Qt Charts, at 4 samples a second with an hour\n"
        "of history, refreshed once a second. Run with QT_QPA_PLATFORM=offscreen."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("seconds"), QStringLiteral("Seconds per row (20)."),
                      QStringLiteral("N"), QStringLiteral("20")});
    parser.process(app);
    const int seconds = std::max(2, parser.value(QStringLiteral("seconds")).toInt());

    qint64 clock = 0;
    WindRecorder recorder([&clock] { return clock; }, [] { return qint64(0); });
    SampleSource source(recorder, clock);
    while (clock < HourMs)
        source.next();

    std::printf("Machine: %s\nQt %s, platform \"%s\"; %d s a row, 4 samples/s, an hour of "
                "history, one refresh a second.\n\n",
                qPrintable(machineDescription()), qVersion(),
                qPrintable(QGuiApplication::platformName()), seconds);
    std::printf("| plots | span | CPU %% of a core | less recording alone | refresh call ms |\n"
                "|---|---|---:|---:|---:|\n");
    std::fflush(stdout);
    const Figures alone = run(recorder, source, clock, nullptr, 0, seconds);
    std::printf("| none (recording alone) | - | %.3f | - | - |\n", alone.cpuShare * 100);
    std::fflush(stdout);
    struct Kind
    {
        const char *name;
        std::function<std::unique_ptr<Plots>()> make;
    };
    const Kind kinds[] = {
        {"painted (TimePlot)",
         [] {
             return std::make_unique<PaintedPlots>();
         }},
        {"Qt Charts, every point",
         [] {
             return std::make_unique<ChartPlots>(false);
         }},
        {"Qt Charts, decimated as TimePlot",
         [] {
             return std::make_unique<ChartPlots>(true);
         }},
    };
    for (qint64 minutes : {10, 60}) {
        for (const Kind &kind : kinds) {
            std::unique_ptr<Plots> plots = kind.make();
            const Figures figures
                = run(recorder, source, clock, plots.get(), minutes * 60000, seconds);
            std::printf("| %s | %lld min | %.3f | %.3f | %.2f |\n", kind.name,
                        static_cast<long long>(minutes), figures.cpuShare * 100,
                        (figures.cpuShare - alone.cpuShare) * 100, figures.refreshMs);
            std::fflush(stdout);
        }
    }
    return 0;
}
