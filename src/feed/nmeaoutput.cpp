// SPDX-License-Identifier: MIT
#include "feed/nmeaoutput.h"

#include "core/nmeasentence.h"

#include <QTimer>

NmeaOutput::NmeaOutput(const NmeaConfig &config, Sink sink, QObject *parent)
    : QObject(parent)
    , m_config(config)
    , m_sink(std::move(sink))
    , m_voidTimer(new QTimer(this))
{
    m_voidTimer->setInterval(DefaultVoidIntervalMs);
    connect(m_voidTimer, &QTimer::timeout, this, &NmeaOutput::sendVoid);
}

void NmeaOutput::setVoidInterval(int voidIntervalMs)
{
    m_voidTimer->setInterval(voidIntervalMs);
}

void NmeaOutput::sampleAccepted(const WindFeedReading &reading)
{
    if (!m_config.isOutputOn())
        return;
    m_voidTimer->stop();
    // Made-up wind is not shared, and neither is its absence.
    if (reading.source == WindSource::ExampleMode && !m_config.sendExampleMode)
        return;

    const double direction = reading.sample.directionDegrees;
    const double speed = reading.sample.speedMetresPerSecond;
    const bool trueWind
        = reading.kind == WindKind::TrueOffBow || reading.kind == WindKind::TrueFromNorth;
    m_lastReference = trueWind ? NmeaMwvReference::True : NmeaMwvReference::Relative;
    if (m_config.sendMwv) {
        // True wind shown from north goes out off the bow only when that
        // angle is known.
        std::optional<double> angle = direction;
        if (reading.kind == WindKind::TrueFromNorth)
            angle = reading.angleOffBowDegrees;
        if (angle) {
            const QByteArray mwv
                = nmeaMwvSentence(*angle, speed, m_config.speedUnit, m_lastReference);
            if (!mwv.isEmpty())
                m_sink(mwv);
        }
    }
    // MWD states a direction from north: not for an angle off the bow.
    const bool fromNorth
        = reading.kind != WindKind::TrueOffBow && reading.kind != WindKind::Apparent;
    if (m_config.sendMwd && fromNorth) {
        const QByteArray mwd = nmeaMwdSentence(direction, speed);
        if (!mwd.isEmpty())
            m_sink(mwd);
    }
}

void NmeaOutput::readingsStale(bool stale)
{
    // Only MWV can tell that the data went stale; with MWD alone there is
    // nothing to say.
    if (!stale || !m_config.isOutputOn() || !m_config.sendMwv) {
        m_voidTimer->stop();
        return;
    }
    if (m_voidTimer->isActive())
        return;
    sendVoid();
    m_voidTimer->start();
}

void NmeaOutput::sourceStopped()
{
    m_voidTimer->stop();
}

bool NmeaOutput::isStale() const
{
    return m_voidTimer->isActive();
}

void NmeaOutput::sendVoid()
{
    m_sink(nmeaMwvVoidSentence(m_config.speedUnit, m_lastReference));
}

void connectNmeaOutput(WindFeed &feed, NmeaOutput &output)
{
    QObject::connect(&feed, &WindFeed::sampleAccepted, &output, &NmeaOutput::sampleAccepted);
    QObject::connect(
        &feed, &WindFeed::stalenessChanged, &output,
        [&output](const WindStaleness &staleness) { output.readingsStale(staleness.readings); });
    QObject::connect(&feed, &WindFeed::stateChanged, &output, [&output](WindFeed::State state) {
        if (state == WindFeed::State::Idle || state == WindFeed::State::ExampleMode)
            output.sourceStopped();
    });
}
