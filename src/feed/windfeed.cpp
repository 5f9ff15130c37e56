// SPDX-License-Identifier: MIT
#include "feed/windfeed.h"

#include "core/randomwalk.h"
#include "core/windspeed.h"
#include "platform/windlink.h"

#include <QDateTime>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

// Example mode's walk: the direction and the speed each move by up to their
// step when the first draw passes the threshold; the speed stops at 60 m/s.
constexpr double DirectionStep = 20.0;
constexpr float DirectionThreshold = 0.5f;
constexpr double SpeedStep = 2.0;
constexpr float SpeedThreshold = 0.55f;
constexpr double SpeedLimit = 60.0;

// The link health's words for an input that failed: the cause, without the
// advice that follows it in the message box.
QString stoppedState(const AppError &error)
{
    return QStringLiteral("stopped: ") + error.description().section(u'\n', 0, 0);
}

RecordedSource sensorOnSerialPort(int portNumber)
{
    return {RecordedSource::Kind::Sensor, portNumber, QString()};
}

} // namespace

WindFeed::WindFeed(LinkFactory makeLink, QObject *parent)
    : QObject(parent)
    , m_makeLink(std::move(makeLink))
    , m_describe(sensorOnSerialPort)
    , m_monotonicClock(monotonicMilliseconds)
    , m_utcClock([] { return QDateTime::currentMSecsSinceEpoch(); })
    , m_exampleTimer(new QTimer(this))
    , m_staleTimer(new QTimer(this))
{
    m_exampleTimer->setInterval(ExampleStepMs);
    connect(m_exampleTimer, &QTimer::timeout, this, &WindFeed::exampleTick);
    m_staleTimer->setSingleShot(true);
    connect(m_staleTimer, &QTimer::timeout, this, &WindFeed::updateStaleness);
    resetAges();
}

WindFeed::~WindFeed()
{
    closeLink();
}

void WindFeed::setSourceDescriber(SourceDescriber describe)
{
    m_describe = std::move(describe);
}

void WindFeed::setWindChoice(NmeaWind wind, BoatSpeedSource boatSpeed)
{
    m_choice.emplace(wind, boatSpeed);
}

void WindFeed::setCorrections(const WindCorrections &corrections)
{
    m_corrections = corrections;
}

void WindFeed::setClocks(Clock monotonic, Clock utc)
{
    m_monotonicClock = std::move(monotonic);
    m_utcClock = std::move(utc);
}

void WindFeed::restore(double directionDegrees, double speedMetresPerSecond, int portNumber,
                       bool exampleModeOn)
{
    m_directionDegrees = directionDegrees;
    m_speedMetresPerSecond = speedMetresPerSecond;
    m_portNumber = qint16(portNumber);
    m_exampleModeOn = exampleModeOn;
}

void WindFeed::start()
{
    m_running = true;
    if (m_exampleModeOn)
        m_exampleTimer->start();
    emitState();
    refreshDisplay();
}

void WindFeed::refreshDisplay()
{
    const WindFigures figures = windFigures(m_directionDegrees, m_speedMetresPerSecond);
    announce(figures, true, true, WindSource::Sensor);
    if (figures.failure)
        throw *figures.failure;
}

void WindFeed::shutDown()
{
    m_running = false;
    m_exampleTimer->stop();
    m_staleTimer->stop();
    // Reading ends with the application, without the steps of a stop.
    closeLink();
}

WindFeed::State WindFeed::state() const
{
    if (m_listening)
        return m_halted ? State::Halted : State::Listening;
    return m_exampleModeOn ? State::ExampleMode : State::Idle;
}

RecordedSource WindFeed::listeningSource() const
{
    return m_describe(m_portNumber);
}

void WindFeed::toggleListening()
{
    // The example-mode timer stops itself at its next tick.
    m_exampleModeOn = false;
    if (m_listening)
        stopListening();
    else
        startListening();
    emitState();
}

void WindFeed::toggleExampleMode()
{
    m_exampleModeOn = !m_exampleModeOn;
    if (m_exampleModeOn) {
        if (!m_exampleTimer->isActive())
            m_exampleTimer->start();
        if (m_listening)
            stopListening();
    }
    // Switched off, the timer stops itself at its next tick.
    emitState();
}

void WindFeed::startListening()
{
    m_listening = true;
    m_halted = false;
    m_lineLost = false;
    m_link = m_makeLink(m_portNumber);
    connect(m_link.get(), &WindLink::readingReceived, this, &WindFeed::takeReading);
    connect(m_link.get(), &WindLink::frameRejected, this, &WindFeed::rejectFrame);
    connect(m_link.get(), &WindLink::motionReceived, this, &WindFeed::takeMotion);
    connect(m_link.get(), &WindLink::failed, this, &WindFeed::fail);
    connect(m_link.get(), &WindLink::lineLost, this, &WindFeed::lineLost);
    connect(m_link.get(), &WindLink::lineBack, this, [this] {
        // A new stream, maybe from a restarted server: its sentences are
        // chosen from afresh.
        if (m_choice)
            m_choice->reset();
        m_missing.clear();
        m_lineLost = false;
        updateStaleness();
        emit linkStateChanged(QString());
    });
    if (m_choice)
        m_choice->reset();
    m_missing.clear();
    describeWind(QString());
    resetAges();
    updateStaleness();
    // The listeners learn of the source before anything it brings, also
    // before a failure to open it.
    m_lastState = State::Listening;
    emit stateChanged(State::Listening);
    try {
        m_link->open();
    } catch (const AppError &error) {
        // Halted: listening stays switched on until it is switched off.
        m_halted = true;
        closeLink();
        emit linkStateChanged(stoppedState(error));
        emitState();
        emit halted(error);
    }
}

void WindFeed::stopListening()
{
    m_listening = false;
    m_halted = false;
    m_lineLost = false;
    closeLink();
    updateStaleness();
    emit linkStateChanged(QString());
}

void WindFeed::closeLink()
{
    if (!m_link)
        return;
    m_link->close();
    // This may run inside one of the link's own signals: it goes once they
    // have returned.
    m_link.release()->deleteLater();
}

void WindFeed::exampleTick()
{
    if (!m_exampleModeOn) {
        m_exampleTimer->stop();
        return;
    }
    stepExampleWalk();
    const WindFigures figures = windFigures(m_directionDegrees, m_speedMetresPerSecond);
    const WindFeedReading reading = announce(figures, true, true, WindSource::ExampleMode);
    if (figures.failure) {
        // The walk stays in range; should a stored wind throw it out of it,
        // example mode ends with the error rather than the application.
        m_exampleModeOn = false;
        emitState();
        emit halted(*figures.failure);
        return;
    }
    emit sampleAccepted(reading);
}

void WindFeed::stepExampleWalk()
{
    const DrawSource draw = [] {
        return exampleModeDraws().next();
    };
    randomWalkStep(m_directionDegrees, DirectionStep, DirectionThreshold, draw);
    randomWalkStep(m_speedMetresPerSecond, SpeedStep, SpeedThreshold, draw);
    if (m_speedMetresPerSecond > SpeedLimit)
        m_speedMetresPerSecond = SpeedLimit;
}

void WindFeed::takeReading(const WindReading &input)
{
    // Corrections apply to what the instrument measured, before true wind
    // is worked out from it.
    WindReading reading = correctedReading(input, m_corrections);
    std::optional<double> angleOffBow;
    if (m_choice && reading.kind != WindKind::Sensor) {
        const qint64 now = m_monotonicClock();
        const std::optional<ChosenWind> chosen
            = m_choice->take({WindLineEvent::Kind::Reading, reading, {}}, now);
        tellMissing(now);
        if (!chosen)
            return;
        reading = chosen->reading;
        angleOffBow = chosen->angleOffBowDegrees;
        describeWind(chosen->description);
    }
    // A speed beyond any wind, made so by the correction or the true wind's
    // sum, is as unreadable as one that came so; a value no readout can show (a speed of 1e308)
    // came off a noisy line like any frame that fails its check.
    if (reading.speedMetresPerSecond
        && !(*reading.speedMetresPerSecond <= MaxReadableMetresPerSecond)) {
        rejectFrame();
        return;
    }
    const WindFigures figures
        = windFigures(reading.directionDegrees.value_or(m_directionDegrees),
                      reading.speedMetresPerSecond.value_or(m_speedMetresPerSecond));
    if (figures.failure) {
        rejectFrame();
        return;
    }
    if (reading.directionDegrees)
        m_directionAge.start();
    if (reading.speedMetresPerSecond)
        m_speedAge.start();
    if (reading.isComplete())
        m_completeAge.start();
    m_lineLost = false;

    updateStaleness();
    const WindFeedReading shown
        = announce(figures, bool(reading.directionDegrees), bool(reading.speedMetresPerSecond),
                   WindSource::Sensor, reading.kind, angleOffBow, input.directionDegrees);
    if (shown.isComplete())
        emit sampleAccepted(shown);
}

void WindFeed::takeMotion(const BoatMotion &motion)
{
    if (!m_choice)
        return;
    const qint64 now = m_monotonicClock();
    m_choice->take({WindLineEvent::Kind::Motion, {}, motion}, now);
    tellMissing(now);
}

// The link health says which sentence true wind waits for, and again once
// nothing is missing.
void WindFeed::tellMissing(qint64 nowMs)
{
    const QString missing = m_choice->missing(nowMs);
    if (missing == m_missing || m_lineLost)
        return;
    m_missing = missing;
    emit linkStateChanged(missing);
}

void WindFeed::describeWind(const QString &description)
{
    if (description == m_windDescription)
        return;
    m_windDescription = description;
    emit windDescriptionChanged(description);
}

WindFeedReading WindFeed::announce(const WindFigures &figures, bool directionRead, bool speedRead,
                                   WindSource source, WindKind kind,
                                   std::optional<double> angleOffBow,
                                   std::optional<double> reportedDirection)
{
    WindFeedReading reading;
    reading.figures = figures;
    reading.directionRead = directionRead;
    reading.speedRead = speedRead;
    reading.source = source;
    reading.kind = kind;
    reading.angleOffBowDegrees = angleOffBow;
    reading.reportedDirectionDegrees = reportedDirection;
    // A failure part-way leaves the wind as it was; what was worked out
    // before it is still shown.
    if (!figures.failure) {
        m_directionDegrees = figures.directionDegrees;
        m_speedMetresPerSecond = figures.speedMetresPerSecond;
        reading.sample = {m_monotonicClock(), m_directionDegrees, m_speedMetresPerSecond};
        reading.utcMs = m_utcClock();
    }
    emit readingShown(reading);
    return reading;
}

void WindFeed::rejectFrame()
{
    emit frameRejected();
}

void WindFeed::fail(const AppError &error)
{
    // Reading stops; listening stays switched on until it is switched off.
    // The listeners hear of it once the link's signal has returned: a
    // modal box shown inside it would run the event loop under the link's
    // feet.
    if (m_link)
        m_link->close();
    m_halted = true;
    emit linkStateChanged(stoppedState(error));
    emitState();
    QTimer::singleShot(0, this, [this, error] { emit halted(error); });
}

void WindFeed::lineLost(const QString &reason)
{
    m_lineLost = true;
    updateStaleness();
    emit linkStateChanged(reason);
}

void WindFeed::emitState()
{
    const State now = state();
    if (now == m_lastState)
        return;
    m_lastState = now;
    emit stateChanged(now);
}

void WindFeed::resetAges()
{
    m_directionAge.start();
    m_speedAge.start();
    m_completeAge.start();
}

void WindFeed::updateStaleness()
{
    m_staleTimer->stop();
    if (!m_listening) {
        setStaleness({});
        return;
    }
    qint64 nextDue = m_staleAfterMs;
    const auto isOld = [this, &nextDue](const QElapsedTimer &age) {
        const qint64 elapsed = age.elapsed();
        if (m_lineLost || elapsed >= m_staleAfterMs)
            return true;
        nextDue = std::min(nextDue, m_staleAfterMs - elapsed);
        return false;
    };
    WindStaleness staleness;
    staleness.direction = isOld(m_directionAge);
    staleness.speed = isOld(m_speedAge);
    staleness.readings = isOld(m_completeAge);
    if (!staleness.direction || !staleness.speed || !staleness.readings)
        m_staleTimer->start(int(nextDue));
    setStaleness(staleness);
}

void WindFeed::setStaleness(const WindStaleness &staleness)
{
    if (staleness == m_staleness)
        return;
    m_staleness = staleness;
    emit stalenessChanged(staleness);
}
