// SPDX-License-Identifier: MIT
#include "feed/windrecorder.h"

#include "feed/windfeed.h"

#include "core/apperror.h"
#include "core/datalogsettings.h"
#include "core/logcategories.h"
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

void WindRecorder::record(const WindFeedReading &reading)
{
    QString logSource = exampleModeSource();
    if (reading.source == WindSource::Sensor)
        logSource
            = m_source.logName.isEmpty() ? serialPortSource(m_source.portNumber) : m_source.logName;
    recordSample(reading.sample, logSource, reading.utcMs);
}

void WindRecorder::recordSample(const WindSample &sample, WindSource source, int portNumber)
{
    recordSample(sample,
                 source == WindSource::Sensor ? serialPortSource(portNumber) : exampleModeSource(),
                 m_utcClock());
}

void WindRecorder::recordSample(const WindSample &sample, const QString &logSource, qint64 utcMs)
{
    ++m_accepted;
    // The sample is on the display already; one the engine or the log
    // refuses must not stop the display. The inputs' limits keep such a
    // sample from coming at all, so the refusal is only logged, once: its
    // words are the program's, not the user's.
    try {
        m_statistics.addSample(sample);
        m_lastSampleMs = sample.timeMs;
        if (m_log)
            m_log->append({utcMs, sample.directionDegrees, sample.speedMetresPerSecond, logSource});
    } catch (const AppError &error) {
        if (!std::exchange(m_refusalReported, true))
            qCWarning(windLog).noquote() << "A sample was not recorded:" << error.description();
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

void WindRecorder::windDescribed(const QString &wind)
{
    if (m_source.kind == RecordedSource::Kind::Sensor)
        m_source.wind = wind;
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

std::optional<MetarWindFigures> WindRecorder::metarWindFigures(qint64 nowMs, qint64 spanMs)
{
    nowMs = std::max(nowMs, m_lastSampleMs);
    auto cached = std::find_if(m_metarFigures.begin(), m_metarFigures.end(),
                               [spanMs](const MetarFiguresAt &at) { return at.spanMs == spanMs; });
    if (cached == m_metarFigures.end())
        cached = m_metarFigures.insert(m_metarFigures.end(), {spanMs, -1, std::nullopt});
    if (cached->second == nowMs / 1000)
        return cached->figures;
    MetarWindPeriod period(nowMs + 1 - spanMs);
    // The gust's 3-second means reach back before the period.
    forEachHistoryPoint(
        nowMs, spanMs + WindRules::gustSpanMs, [&period](const WindHistoryPoint &point) {
            period.add(point.timeMs, point.directionDegrees, point.speedMetresPerSecond);
        });
    cached->second = nowMs / 1000;
    cached->figures = period.figures();
    return cached->figures;
}

void connectRecorder(WindFeed &feed, WindRecorder &recorder)
{
    QObject::connect(&feed, &WindFeed::sampleAccepted, &recorder, &WindRecorder::record);
    QObject::connect(&feed, &WindFeed::frameRejected, &recorder,
                     &WindRecorder::recordRejectedFrame);
    QObject::connect(
        &feed, &WindFeed::stateChanged, &recorder, [&feed, &recorder](WindFeed::State state) {
            switch (state) {
            case WindFeed::State::Listening:
                recorder.sourceStarted(feed.listeningSource());
                break;
            case WindFeed::State::Halted:
                break;
            case WindFeed::State::ExampleMode:
                recorder.sourceStarted({RecordedSource::Kind::ExampleMode, 0, QString()});
                break;
            case WindFeed::State::Idle:
                recorder.sourceStopped(recorder.source().kind);
                break;
            }
        });
    QObject::connect(&feed, &WindFeed::linkStateChanged, &recorder,
                     &WindRecorder::linkStateChanged);
    QObject::connect(&feed, &WindFeed::windDescriptionChanged, &recorder,
                     &WindRecorder::windDescribed);
}

QStringList startDataLogFromSettings(WindRecorder &recorder, const SettingsFile &settings)
{
    try {
        const SectionSettings<DataLogConfig> log = readDataLogSettings(settings);
        if (log.config.isOn())
            recorder.startLog(log.config.folder, log.config.keepDays);
        return log.problems;
    } catch (const AppError &error) {
        return {error.description()};
    }
}
