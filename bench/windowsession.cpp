// SPDX-License-Identifier: MIT
#include "windowsession.h"

#include "processfigures.h"

#include "app/errorguard.h"
#include "app/historyaddon.h"
#include "app/messages.h"
#include "app/windwindow.h"
#include "core/sensorframereader.h"
#include "core/settingsfile.h"
#include "feed/windfeed.h"
#include "platform/serialtransport.h"
#include "platform/windlink.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace {
using Clock = std::chrono::steady_clock;

// Beyond the schedule, when listening is ended whatever the state.
constexpr std::chrono::seconds Rescue(15);

bool clockStopped = false;

double secondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// The main window as the application starts it, shown, with message boxes
// and fatal errors recorded instead of shown.
class BenchWindow
{
public:
    BenchWindow(bool exampleMode, const QString &device, QStringList &problems)
        : m_settings(m_folder.path(), m_folder.path())
    {
        QFile file(m_folder.filePath(QStringLiteral("Application.ini")));
        if (!file.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the settings file");
        file.write(QByteArray("[PARAMETRES]\r\nSerialPort1-COM=1\r\nDummyMode=")
                   + (exampleMode ? "True" : "False") + "\r\n[VALUES]\r\nAngle=0\r\nWind=0\r\n");
        file.close();

        m_previousPresenter
            = setMessagePresenter([&problems](QWidget *, const QString &, const QString &text,
                                              MessageIcon) { problems << text; });
        m_previousFatal = setFatalErrorHandler(
            [&problems](const QString &description) { problems << description; });

        feed
            = std::make_unique<WindFeed>([device](int port) { return sensorLinkOn(device, port); });
        window = std::make_unique<WindWindow>(m_settings, *feed);
        window->readSettings();
        window->start();
        window->show();
        runEventsFor(SessionSettle);
        if (clockStopped) {
            // Its tick is the clock's only timer. Found by its class's
            // name, so that this file builds against earlier windows too,
            // which before-and-after comparisons measure.
            for (QWidget *clock : window->findChildren<QWidget *>()) {
                if (clock->inherits("ClockWidget")) {
                    for (QTimer *timer : clock->findChildren<QTimer *>())
                        timer->stop();
                }
            }
        }
    }

    ~BenchWindow()
    {
        window.reset();
        feed.reset();
        setMessagePresenter(m_previousPresenter);
        setFatalErrorHandler(m_previousFatal);
    }

    const SettingsFile &settings() const { return m_settings; }

    std::unique_ptr<WindFeed> feed;
    std::unique_ptr<WindWindow> window;

private:
    QTemporaryDir m_folder;
    SettingsFile m_settings;
    MessagePresenter m_previousPresenter;
    FatalErrorHandler m_previousFatal;
};

struct Refresh
{
    Clock::time_point at;
    int frameNumber;
};
} // namespace

void setClockStopped(bool on)
{
    clockStopped = on;
}

bool isClockStopped()
{
    return clockStopped;
}

std::unique_ptr<WindLink> sensorLinkOn(const QString &device, int portNumber)
{
    return std::make_unique<WindLink>(
        std::make_unique<SerialTransport>(portNumber, [device](int) { return device; }),
        std::make_unique<SensorFrameReader>());
}

SessionFigures measureListening(const LineFeeder::Schedule &schedule,
                                const HistoryScenario *history, HistoryFigures *historyFigures,
                                const std::function<void()> &atStart,
                                const std::function<void()> &atEnd)
{
    SessionFigures figures;
    LineFeeder feeder;
    BenchWindow bench(false, feeder.slavePath(), figures.problems);
    WindWindow &window = *bench.window;
    WindFeed &feed = *bench.feed;

    // The recorder's slots run between these two, which see every accepted
    // frame just before and just after it.
    Clock::time_point recordingStarted;
    std::vector<double> recordingUs;
    QObject::connect(&feed, &WindFeed::sampleAccepted, &window,
                     [&] { recordingStarted = Clock::now(); });
    std::unique_ptr<HistoryAddOn> addOn;
    QTemporaryDir logFolder;
    if (history) {
        addOn = std::make_unique<HistoryAddOn>(bench.settings(), feed, window);
        WindRecorder &recorder = addOn->recorder();
        if (history->hourBehind) {
            // An hour at the rate to come, ending a moment before now.
            const double rate = schedule.framesPerSecond > 0 ? schedule.framesPerSecond : 4;
            const qint64 step = std::max<qint64>(1, qint64(1000 / rate));
            const qint64 end = monotonicMilliseconds() - 1000;
            for (qint64 t = end - 3600 * 1000; t <= end; t += step)
                recorder.recordSample({t, double((t / 1000) % 360), 5.0 + (t / 7000) % 9},
                                      WindSource::Sensor, 1);
        }
        if (history->dataLog)
            recorder.startLog(logFolder.path(), 30);
        if (history->windowOpen) {
            addOn->historyWindow().setSpanMinutes(history->spanMinutes);
            addOn->historyWindow().show();
            runEventsFor(SessionSettle);
        }
        QObject::connect(&feed, &WindFeed::sampleAccepted, &window, [&] {
            recordingUs.push_back(
                std::chrono::duration<double, std::micro>(Clock::now() - recordingStarted).count());
        });
    }
    std::vector<Refresh> refreshes;
    refreshes.reserve(LineFeeder::MaxFrames + 1);
    bool recording = false;
    QObject::connect(&window, &WindWindow::displayRefreshed, &window, [&] {
        if (recording)
            refreshes.push_back(
                {Clock::now(), LineFeeder::frameNumberOf(feed.speedMetresPerSecond())});
    });

    Clock::time_point wallBefore, wallAfter;
    double cpuBefore = 0;
    double cpuAfter = 0;
    qint64 wakeUpsBefore = 0;
    qint64 wakeUpsAfter = 0;
    bool ended = false;
    const auto endMeasurement = [&] {
        feeder.stop();
        countInstructions(false);
        cpuAfter = processCpuSeconds();
        wakeUpsAfter = processWakeUps();
        wallAfter = Clock::now();
        ended = true;
        if (atEnd)
            atEnd();
    };

    figures.peakSinceProcessStart = !resetPeakResident();
    // Timers that outlive an early end of the measurement die with this
    // object.
    auto scope = std::make_unique<QObject>();
    QObject *context = scope.get();
    QEventLoop session;
    qsizetype largestBuffer = 0;
    const auto stopListening = [&] {
        if (feed.link())
            largestBuffer = feed.link()->largestBuffer();
        if (feed.isListening())
            feed.toggleListening();
        session.quit();
    };
    // Runs once listening has started: the port is open by then.
    QTimer::singleShot(0, context, [&, context] {
        if (atStart)
            atStart();
        recording = true;
        wallBefore = Clock::now();
        cpuBefore = processCpuSeconds();
        wakeUpsBefore = processWakeUps();
        countInstructions(true);
        feeder.start(schedule);
        QTimer::singleShot(schedule.duration, Qt::PreciseTimer, context, [&, context] {
            endMeasurement();
            const Clock::time_point quiet = Clock::now();
            auto *drain = new QTimer(context);
            QObject::connect(drain, &QTimer::timeout, context, [&, drain, quiet] {
                if (int(refreshes.size()) < feeder.framesWritten()
                    && Clock::now() - quiet < SessionDrain)
                    return;
                drain->stop();
                stopListening();
            });
            drain->start(5);
        });
        QTimer::singleShot(schedule.duration + Rescue, context, [&] {
            figures.problems << QStringLiteral("listening did not stop when asked");
            stopListening();
        });
    });
    feed.toggleListening();
    if (feed.link() && feed.link()->isOpen())
        session.exec();
    scope.reset();
    if (!ended) {
        endMeasurement();
        figures.problems << QStringLiteral("listening ended before the schedule did");
    }
    recording = false;

    figures.seconds = secondsBetween(wallBefore, wallAfter);
    if (!refreshes.empty())
        figures.showingSeconds = secondsBetween(wallBefore, refreshes.back().at);
    figures.cpuShare = figures.seconds > 0
        ? (cpuAfter - cpuBefore - feeder.threadCpuSeconds()) / figures.seconds
        : 0;
    figures.wakeUpsPerSecond
        = figures.seconds > 0 ? double(wakeUpsAfter - wakeUpsBefore) / figures.seconds : 0;
    figures.written = feeder.framesWritten();
    figures.shown = int(refreshes.size());
    figures.largestReceiveBuffer = largestBuffer;
    figures.peakResidentKiB = peakResidentKiB();
    int previous = 0;
    for (const Refresh &refresh : refreshes) {
        if (refresh.frameNumber <= previous)
            figures.inOrder = false;
        previous = refresh.frameNumber;
        if (refresh.frameNumber < 1 || refresh.frameNumber > figures.written) {
            figures.problems << QStringLiteral("a refresh showed frame %1, which was never written")
                                    .arg(refresh.frameNumber);
            continue;
        }
        figures.latenciesMs.push_back(std::chrono::duration<double, std::milli>(
                                          refresh.at - feeder.completed(refresh.frameNumber))
                                          .count());
    }
    std::sort(figures.latenciesMs.begin(), figures.latenciesMs.end());
    if (historyFigures) {
        std::sort(recordingUs.begin(), recordingUs.end());
        historyFigures->recordingUs = std::move(recordingUs);
    }
    return figures;
}

SessionFigures measureExampleMode(std::chrono::milliseconds duration)
{
    SessionFigures figures;
    // Example mode never opens the port.
    BenchWindow bench(true, QStringLiteral("/dev/null"), figures.problems);
    WindWindow &window = *bench.window;
    QObject::connect(&window, &WindWindow::displayRefreshed, &window, [&] { ++figures.shown; });

    figures.peakSinceProcessStart = !resetPeakResident();
    const Clock::time_point wallBefore = Clock::now();
    const double cpuBefore = processCpuSeconds();
    const qint64 wakeUpsBefore = processWakeUps();
    countInstructions(true);
    runEventsFor(duration);
    countInstructions(false);
    const double cpuAfter = processCpuSeconds();
    const qint64 wakeUpsAfter = processWakeUps();
    figures.seconds = secondsBetween(wallBefore, Clock::now());
    figures.cpuShare = (cpuAfter - cpuBefore) / figures.seconds;
    figures.wakeUpsPerSecond = double(wakeUpsAfter - wakeUpsBefore) / figures.seconds;
    figures.peakResidentKiB = peakResidentKiB();
    return figures;
}
