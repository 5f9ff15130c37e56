// SPDX-License-Identifier: MIT
#include "nmeaoutput.h"

#include "core/nmeasentence.h"
#include "core/windsample.h"

#include <QTimer>

NmeaOutput::NmeaOutput(const NmeaConfig &config, Sink sink, QObject *parent)
    : QObject(parent)
    , m_config(config)
    , m_sink(std::move(sink))
    , m_staleTimer(new QTimer(this))
    , m_voidTimer(new QTimer(this))
{
    m_staleTimer->setSingleShot(true);
    m_staleTimer->setInterval(DefaultStaleAfterMs);
    m_voidTimer->setInterval(DefaultVoidIntervalMs);
    connect(m_staleTimer, &QTimer::timeout, this, &NmeaOutput::beginStale);
    connect(m_voidTimer, &QTimer::timeout, this, &NmeaOutput::sendVoid);
}

void NmeaOutput::setStaleTiming(int staleAfterMs, int voidIntervalMs)
{
    m_staleTimer->setInterval(staleAfterMs);
    m_voidTimer->setInterval(voidIntervalMs);
}

void NmeaOutput::sampleAccepted(const WindSample &sample, bool fromExampleMode)
{
    if (!m_config.isOutputOn())
        return;
    m_source = fromExampleMode ? Source::ExampleMode : Source::Listening;
    m_voidTimer->stop();
    if (fromExampleMode && !m_config.sendExampleMode) {
        // Made-up wind is not shared, and neither is its absence: listeners
        // were told nothing and keep hearing nothing.
        m_staleTimer->stop();
        return;
    }

    if (m_config.sendMwv) {
        const QByteArray mwv = nmeaMwvSentence(sample.directionDegrees, sample.speedMetresPerSecond,
                                               m_config.speedUnit);
        // A value no sentence can state honestly is reported as unknown,
        // not left out: a listener should not keep the previous wind.
        m_sink(mwv.isEmpty() ? nmeaMwvVoidSentence(m_config.speedUnit) : mwv);
        // Only MWV can tell that the data went stale; with MWD alone there
        // is nothing to time.
        m_staleTimer->start();
    }
    if (m_config.sendMwd) {
        const QByteArray mwd
            = nmeaMwdSentence(sample.directionDegrees, sample.speedMetresPerSecond);
        if (!mwd.isEmpty())
            m_sink(mwd);
    }
}

void NmeaOutput::listeningStarted()
{
    if (!m_config.isOutputOn() || !m_config.sendMwv)
        return;
    m_source = Source::Listening;
    m_voidTimer->stop();
    m_staleTimer->start();
}

void NmeaOutput::listeningStopped()
{
    if (m_source == Source::Listening)
        stop();
}

void NmeaOutput::exampleModeStopped()
{
    if (m_source == Source::ExampleMode)
        stop();
}

bool NmeaOutput::isStale() const
{
    return m_voidTimer->isActive();
}

void NmeaOutput::beginStale()
{
    sendVoid();
    m_voidTimer->start();
}

void NmeaOutput::sendVoid()
{
    m_sink(nmeaMwvVoidSentence(m_config.speedUnit));
}

void NmeaOutput::stop()
{
    m_source = Source::None;
    m_staleTimer->stop();
    m_voidTimer->stop();
}
