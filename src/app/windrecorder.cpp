// SPDX-License-Identifier: MIT
#include "windrecorder.h"

#include "windwindow.h"

#include "core/apperror.h"
#include "core/datalogsettings.h"
#include "core/utctime.h"
#include "core/windlogrow.h"
#include "core/windlogwriter.h"

#include <QDateTime>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <utility>

namespace {
// KeepDays absent: no file is ever old enough.
constexpr int KeepForever = std::numeric_limits<int>::max() / 2;
} // namespace

WindRecorder::WindRecorder(QObject *parent)
    : WindRecorder(
        monotonicMilliseconds, [] { return QDateTime::currentMSecsSinceEpoch(); }, parent)
{ }

WindRecorder::WindRecorder(Clock monotonicClock, Clock utcClock, QObject *parent)
    : QObject(parent)
    , m_monotonicClock(std::move(monotonicClock))
    , m_utcClock(std::move(utcClock))
{ }

WindRecorder::~WindRecorder() = default;

void WindRecorder::startLog(const QString &folder, std::optional<int> keepDays)
{
    delete m_log;
    m_log = new WindLogWriter(folder, keepDays.value_or(KeepForever), this);
    m_logKeepDays = keepDays;
    connect(m_log, &WindLogWriter::failed, this, &WindRecorder::problem);
    if (!keepDays)
        return;
    m_log->removeExpiredFiles(m_utcClock());
    if (!m_midnightTimer) {
        m_midnightTimer = new QTimer(this);
        m_midnightTimer->setSingleShot(true);
        // A coarse timer may fire minutes early on a wait of hours.
        m_midnightTimer->setTimerType(Qt::PreciseTimer);
        connect(m_midnightTimer, &QTimer::timeout, this, [this] {
            if (m_log)
                m_log->removeExpiredFiles(m_utcClock());
            scheduleExpiryAtMidnight();
        });
    }
    scheduleExpiryAtMidnight();
}

void WindRecorder::scheduleExpiryAtMidnight()
{
    const qint64 nowUtc = m_utcClock();
    const qint64 nextMidnight = (utcDayNumber(nowUtc) + 1) * utcDayMs;
    // A timer that fires early clears against the old date, which does no
    // harm, and is set again for what is left.
    m_midnightTimer->start(int(std::clamp<qint64>(nextMidnight - nowUtc, 1, utcDayMs)));
}

QString WindRecorder::logFolder() const
{
    return m_log ? m_log->folder() : QString();
}

void WindRecorder::recordSample(const WindSample &sample, WindSource source, int portNumber)
{
    recordSample(sample,
                 source == WindSource::Sensor ? serialPortSource(portNumber) : exampleModeSource());
}

void WindRecorder::recordSample(const WindSample &sample, const QString &logSource)
{
    ++m_accepted;
    // The sample is on the display already; one the engine or the log refuses
    // must not stop the display, so it is reported instead of thrown.
    try {
        m_statistics.addSample(sample);
        m_lastSampleMs = sample.timeMs;
        if (m_log) {
            m_log->append(
                {m_utcClock(), sample.directionDegrees, sample.speedMetresPerSecond, logSource});
        }
    } catch (const AppError &error) {
        if (!std::exchange(m_refusalReported, true))
            emit problem(
                QStringLiteral("A sample could not be recorded: %1").arg(error.description()));
    }
}

void WindRecorder::recordRejectedFrame()
{
    ++m_rejected;
}

void WindRecorder::sourceStarted(const RecordedSource &source)
{
    m_source = source;
    m_accepted = 0;
    m_rejected = 0;
}

void WindRecorder::sourceStopped(RecordedSource::Kind kind)
{
    if (m_source.kind == kind)
        m_source = RecordedSource();
}

void WindRecorder::linkStateChanged(const QString &problem)
{
    if (m_source.kind == RecordedSource::Kind::Sensor)
        m_source.state = problem.isEmpty() ? QStringLiteral("connected") : problem;
}

qint64 WindRecorder::now() const
{
    return std::max(m_monotonicClock(), m_lastSampleMs);
}

WindStatisticsSnapshot WindRecorder::statistics(qint64 nowMs)
{
    return m_statistics.snapshot(std::max(nowMs, m_lastSampleMs));
}

std::vector<WindHistoryPoint> WindRecorder::history(qint64 nowMs, qint64 spanMs) const
{
    return m_statistics.history(std::max(nowMs, m_lastSampleMs), spanMs);
}

void connectRecorder(WindWindow &window, WindRecorder &recorder,
                     std::function<RecordedSource(int port)> describeInput)
{
    QObject::connect(&window, &WindWindow::sampleAccepted, &recorder,
                     [&window, &recorder](const WindSample &sample, WindSource source) {
                         if (source == WindSource::ExampleMode)
                             recorder.recordSample(sample, exampleModeSource());
                         else if (!recorder.source().logName.isEmpty())
                             recorder.recordSample(sample, recorder.source().logName);
                         else
                             recorder.recordSample(sample, source, window.portNumber());
                     });
    QObject::connect(&window, &WindWindow::frameRejected, &recorder,
                     &WindRecorder::recordRejectedFrame);
    QObject::connect(&window, &WindWindow::listeningChanged, &recorder,
                     [&window, &recorder, describeInput](bool listening) {
                         if (listening)
                             recorder.sourceStarted(describeInput(window.portNumber()));
                         else
                             recorder.sourceStopped(RecordedSource::Kind::Sensor);
                     });
    QObject::connect(&window, &WindWindow::linkStateChanged, &recorder,
                     &WindRecorder::linkStateChanged);
    QObject::connect(&window, &WindWindow::exampleModeChanged, &recorder, [&recorder](bool on) {
        if (on)
            recorder.sourceStarted({RecordedSource::Kind::ExampleMode, 0, QString()});
        else
            recorder.sourceStopped(RecordedSource::Kind::ExampleMode);
    });
}

void startDataLogFromSettings(WindRecorder &recorder, const SettingsFile &settings)
{
    try {
        const SectionSettings<DataLogConfig> log = readDataLogSettings(settings);
        for (const QString &problem : log.problems)
            emit recorder.problem(problem);
        if (log.config.isOn())
            recorder.startLog(log.config.folder, log.config.keepDays);
    } catch (const AppError &error) {
        emit recorder.problem(error.description());
    }
}
