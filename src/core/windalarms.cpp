// SPDX-License-Identifier: MIT
#include "core/windalarms.h"

#include "core/apperror.h"
#include "core/windstatistics.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 msPerMinute = 60 * 1000;

// The angle between two directions the short way round, so that 350° and
// 10° are 20° apart, not 340°.
double angleBetween(double a, double b)
{
    const double difference = std::fabs(std::fmod(a - b, 360.0));
    return difference > 180.0 ? 360.0 - difference : difference;
}

} // namespace

QString windAlarmName(WindAlarmKind kind)
{
    switch (kind) {
    case WindAlarmKind::MeanSpeed:
        return QStringLiteral("MeanAbove");
    case WindAlarmKind::Gust:
        return QStringLiteral("GustAbove");
    case WindAlarmKind::Shift:
        return QStringLiteral("ShiftDegrees");
    case WindAlarmKind::NoReading:
        break;
    }
    return QStringLiteral("NoReadingSeconds");
}

WindAlarmMeasure windAlarmMeasure(WindAlarmKind kind)
{
    switch (kind) {
    case WindAlarmKind::MeanSpeed:
    case WindAlarmKind::Gust:
        return WindAlarmMeasure::MetresPerSecond;
    case WindAlarmKind::Shift:
        return WindAlarmMeasure::Degrees;
    case WindAlarmKind::NoReading:
        break;
    }
    return WindAlarmMeasure::Seconds;
}

double windAlarmFigureInUnit(WindAlarmKind kind, double value, SpeedUnit unit)
{
    return windAlarmMeasure(kind) == WindAlarmMeasure::MetresPerSecond ? speedInUnit(value, unit)
                                                                       : value;
}

WindAlarms::WindAlarms(const WindAlarmConfig &config)
    : m_config(config)
    , m_twoMinutes(WindStatistics::twoMinutesMs)
    , m_tenMinutes(WindStatistics::tenMinutesMs)
    , m_shiftRecent(config.shiftMinutes * msPerMinute)
    , m_shiftEarlier(config.shiftMinutes * msPerMinute)
{
    const auto set = [this](WindAlarmKind kind, std::optional<double> threshold, double clearLimit,
                            bool clearsAtLimit) {
        Alarm &alarm = m_alarms[int(kind)];
        alarm.on = threshold.has_value();
        alarm.threshold = threshold.value_or(0);
        alarm.clearLimit = clearLimit;
        alarm.clearsAtLimit = clearsAtLimit;
    };
    const auto speedLimit = [](std::optional<double> threshold) {
        return threshold.value_or(0) * clearBelowShare;
    };
    set(WindAlarmKind::MeanSpeed, config.meanAboveMetresPerSecond,
        speedLimit(config.meanAboveMetresPerSecond), false);
    set(WindAlarmKind::Gust, config.gustAboveMetresPerSecond,
        speedLimit(config.gustAboveMetresPerSecond), false);
    set(WindAlarmKind::Shift, config.shiftDegrees, config.shiftDegrees.value_or(0) / 2, true);
    set(WindAlarmKind::NoReading, config.noReadingSeconds, 0, false);
}

std::vector<WindAlarmEvent> WindAlarms::sourceStarted(WindSource source, qint64 nowMs)
{
    if (m_samplesFrom != source)
        resetStatistics();
    m_samplesFrom = source;
    m_source = source;
    m_sourceStartMs = nowMs;
    return evaluate(nowMs);
}

std::vector<WindAlarmEvent> WindAlarms::sourceStopped(qint64 nowMs)
{
    std::vector<WindAlarmEvent> events;
    m_source.reset();
    for (int i = 0; i < windAlarmKindCount; ++i) {
        if (m_alarms[i].raised)
            clear(WindAlarmKind(i), m_alarms[i].value, nowMs, events);
    }
    return events;
}

std::vector<WindAlarmEvent> WindAlarms::addSample(const WindSample &sample)
{
    // Checked before anything changes: one non-finite value would poison
    // every sum it joins.
    if (!std::isfinite(sample.directionDegrees) || !std::isfinite(sample.speedMetresPerSecond))
        throw AppError(AppError::Kind::InvalidArgument,
                       QStringLiteral("A wind sample at %1 ms has no finite direction or speed.")
                           .arg(sample.timeMs));
    if (m_lastSampleMs && sample.timeMs < *m_lastSampleMs)
        throw AppError(AppError::Kind::InvalidArgument,
                       QStringLiteral("A wind sample at %1 ms came after one at %2 ms.")
                           .arg(sample.timeMs)
                           .arg(*m_lastSampleMs));

    std::vector<WindAlarmEvent> events;
    Alarm &silence = m_alarms[int(WindAlarmKind::NoReading)];
    if (silence.raised) {
        const qint64 since = std::max(m_lastSampleMs.value_or(m_sourceStartMs), m_sourceStartMs);
        clear(WindAlarmKind::NoReading, double(sample.timeMs - since) / 1000, sample.timeMs,
              events);
    }

    m_twoMinutes.add(sample);
    m_tenMinutes.add(sample);
    if (m_alarms[int(WindAlarmKind::Shift)].on) {
        m_shiftRecent.add(sample);
        m_shiftPending.push_back(sample);
    }
    m_lastSampleMs = sample.timeMs;

    std::vector<WindAlarmEvent> later = evaluate(sample.timeMs);
    events.insert(events.end(), later.begin(), later.end());
    return events;
}

std::vector<WindAlarmEvent> WindAlarms::evaluate(qint64 nowMs)
{
    const qint64 now = std::max(nowMs, m_lastSampleMs.value_or(nowMs));
    advanceTo(now);

    std::vector<WindAlarmEvent> events;
    const WindPeriodStatistics twoMinutes = m_twoMinutes.statistics();
    judge(WindAlarmKind::MeanSpeed,
          twoMinutes.isCovered() ? std::optional<double>(twoMinutes.meanSpeed) : std::nullopt, now,
          events);
    judge(WindAlarmKind::Gust, m_tenMinutes.gust(), now, events);
    judge(WindAlarmKind::Shift, shiftDegrees(), now, events);
    judgeSilence(now, events);
    return events;
}

bool WindAlarms::needsTick() const
{
    const bool anyRaised = std::any_of(m_alarms.begin(), m_alarms.end(),
                                       [](const Alarm &alarm) { return alarm.raised; });
    return anyRaised || (mayRaise() && m_config.anyAlarmOn());
}

std::vector<RaisedWindAlarm> WindAlarms::raisedAlarms() const
{
    std::vector<RaisedWindAlarm> raised;
    for (int i = 0; i < windAlarmKindCount; ++i) {
        const Alarm &alarm = m_alarms[i];
        if (alarm.raised)
            raised.push_back({WindAlarmKind(i), alarm.raisedAtMs, alarm.value, alarm.threshold,
                              alarm.acknowledged});
    }
    return raised;
}

void WindAlarms::acknowledge(WindAlarmKind kind)
{
    Alarm &alarm = m_alarms[int(kind)];
    alarm.acknowledged = alarm.raised;
}

void WindAlarms::acknowledgeAll()
{
    for (int i = 0; i < windAlarmKindCount; ++i)
        acknowledge(WindAlarmKind(i));
}

void WindAlarms::resetStatistics()
{
    m_twoMinutes = WindPeriod(m_twoMinutes.lengthMs());
    m_tenMinutes = WindPeriod(m_tenMinutes.lengthMs());
    m_shiftRecent = WindPeriod(m_shiftRecent.lengthMs());
    m_shiftEarlier = WindPeriod(m_shiftEarlier.lengthMs());
    m_shiftPending.clear();
}

void WindAlarms::advanceTo(qint64 nowMs)
{
    // The periods hold the samples of nowMs itself: they end just after it.
    const qint64 end = nowMs + 1;
    m_twoMinutes.advanceTo(end);
    m_tenMinutes.advanceTo(end);
    if (!m_alarms[int(WindAlarmKind::Shift)].on)
        return;
    m_shiftRecent.advanceTo(end);
    const qint64 earlierEnd = end - m_shiftEarlier.lengthMs();
    while (!m_shiftPending.empty() && m_shiftPending.front().timeMs < earlierEnd) {
        m_shiftEarlier.add(m_shiftPending.front());
        m_shiftPending.pop_front();
    }
    m_shiftEarlier.advanceTo(earlierEnd);
}

std::optional<double> WindAlarms::shiftDegrees() const
{
    if (!m_alarms[int(WindAlarmKind::Shift)].on)
        return std::nullopt;
    // The earlier period knows the sample after its end, the first one still
    // waiting, so a short gap across the boundary covers its last part.
    std::optional<qint64> next;
    if (!m_shiftPending.empty())
        next = m_shiftPending.front().timeMs;
    const WindPeriodStatistics earlier = m_shiftEarlier.statistics(next);
    const WindPeriodStatistics recent = m_shiftRecent.statistics();
    if (!earlier.isCovered() || !recent.isCovered() || !earlier.meanDirection
        || !recent.meanDirection)
        return std::nullopt;
    return angleBetween(*recent.meanDirection, *earlier.meanDirection);
}

bool WindAlarms::mayRaise() const
{
    return m_source && (*m_source == WindSource::Sensor || m_config.exampleModeRaises);
}

void WindAlarms::judge(WindAlarmKind kind, std::optional<double> value, qint64 nowMs,
                       std::vector<WindAlarmEvent> &events)
{
    Alarm &alarm = m_alarms[int(kind)];
    if (!alarm.on)
        return;
    if (!value) {
        alarm.quietSinceMs.reset();
        return;
    }
    if (!alarm.raised) {
        if (mayRaise() && *value > alarm.threshold)
            raise(kind, *value, nowMs, events);
        return;
    }
    alarm.value = *value;
    const bool quiet = alarm.clearsAtLimit ? *value <= alarm.clearLimit : *value < alarm.clearLimit;
    if (!quiet) {
        alarm.quietSinceMs.reset();
        return;
    }
    if (!alarm.quietSinceMs)
        alarm.quietSinceMs = nowMs;
    if (nowMs - *alarm.quietSinceMs >= clearAfterMs)
        clear(kind, *value, nowMs, events);
}

void WindAlarms::judgeSilence(qint64 nowMs, std::vector<WindAlarmEvent> &events)
{
    Alarm &alarm = m_alarms[int(WindAlarmKind::NoReading)];
    if (!alarm.on || !mayRaise())
        return;
    const qint64 since = std::max(m_lastSampleMs.value_or(m_sourceStartMs), m_sourceStartMs);
    const double seconds = double(nowMs - since) / 1000;
    if (alarm.raised)
        alarm.value = seconds;
    else if (seconds >= alarm.threshold)
        raise(WindAlarmKind::NoReading, seconds, nowMs, events);
}

void WindAlarms::raise(WindAlarmKind kind, double value, qint64 nowMs,
                       std::vector<WindAlarmEvent> &events)
{
    Alarm &alarm = m_alarms[int(kind)];
    alarm.raised = true;
    alarm.acknowledged = false;
    alarm.raisedAtMs = nowMs;
    alarm.value = value;
    alarm.quietSinceMs.reset();
    events.push_back({kind, WindAlarmEvent::Change::Raised, nowMs, value, alarm.threshold});
}

void WindAlarms::clear(WindAlarmKind kind, double value, qint64 nowMs,
                       std::vector<WindAlarmEvent> &events)
{
    Alarm &alarm = m_alarms[int(kind)];
    alarm.raised = false;
    alarm.acknowledged = false;
    alarm.quietSinceMs.reset();
    events.push_back({kind, WindAlarmEvent::Change::Cleared, nowMs, value, alarm.threshold});
}
