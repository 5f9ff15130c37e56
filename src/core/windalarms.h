// SPDX-License-Identifier: MIT
#pragma once

#include "core/windalarmsettings.h"
#include "core/windperiod.h"
#include "core/windsample.h"

#include <QString>

#include <array>
#include <deque>
#include <optional>
#include <vector>

enum class WindAlarmKind { MeanSpeed, Gust, Shift, NoReading };
inline constexpr int windAlarmKindCount = 4;

// The alarm's name where a program or a file reads it: the key that sets it
// ("MeanAbove", "GustAbove", "ShiftDegrees", "NoReadingSeconds").
QString windAlarmName(WindAlarmKind kind);

// What the alarm's value and threshold are counted in: m/s for the mean and
// the gust, degrees for the shift, seconds for the silence.
enum class WindAlarmMeasure { MetresPerSecond, Degrees, Seconds };
WindAlarmMeasure windAlarmMeasure(WindAlarmKind kind);
// A value or threshold of the alarm as the user set it: speeds in the
// section's unit, the others unchanged.
double windAlarmFigureInUnit(WindAlarmKind kind, double value, SpeedUnit unit);

struct WindAlarmEvent
{
    enum class Change { Raised, Cleared };

    WindAlarmKind kind = WindAlarmKind::MeanSpeed;
    Change change = Change::Raised;
    // On the samples' clock.
    qint64 timeMs = 0;
    // The alarm's figure at the event: the 2-minute mean, the 10-minute gust,
    // the angle between the two periods' mean directions, the seconds
    // without a reading.
    double value = 0;
    double threshold = 0;
};

// A raised alarm as it stands.
struct RaisedWindAlarm
{
    WindAlarmKind kind = WindAlarmKind::MeanSpeed;
    qint64 raisedAtMs = 0;
    // The latest figure seen while raised; the figure at the raise when
    // none has been seen since.
    double value = 0;
    double threshold = 0;
    bool acknowledged = false;
};

// The wind alarms' rules, on the same statistics the history window shows.
//
// Fed with every accepted sample in time order and told when a source starts
// and stops, it says what was raised and cleared. An alarm is raised when its
// figure passes the threshold and cleared once the figure has stayed below
// 90 % of the threshold (the shift: within half the degrees) for 60 s; the
// no-reading alarm clears with the next reading. A raised alarm is not raised
// again until it has cleared. A figure that cannot be had (a period covered
// less than 66 %, a calm period's direction) neither raises nor clears, and
// starts the 60 s again.
//
// A sample costs O(1) amortised, as does evaluate(). The caller evaluates
// after every sample (addSample does) and once a second while needsTick()
// says so: the silence and the clearing run on time alone.
class WindAlarms
{
public:
    static constexpr qint64 clearAfterMs = 60000;
    static constexpr double clearBelowShare = 0.9;

    explicit WindAlarms(const WindAlarmConfig &config);

    const WindAlarmConfig &config() const { return m_config; }

    // A source started delivering at nowMs: listening on the sensor, or
    // example mode. Samples from another kind of source than the last one's
    // are forgotten, so that made-up wind never raises a real alarm.
    std::vector<WindAlarmEvent> sourceStarted(WindSource source, qint64 nowMs);
    // The source stopped: every raised alarm clears, since nothing is
    // watched any more.
    std::vector<WindAlarmEvent> sourceStopped(qint64 nowMs);

    // Throws AppError (InvalidArgument) for a sample earlier than the last
    // one or without a finite direction or speed; nothing changes then.
    std::vector<WindAlarmEvent> addSample(const WindSample &sample);

    // The alarms as of nowMs; a time before the last sample counts as that
    // sample's time.
    std::vector<WindAlarmEvent> evaluate(qint64 nowMs);

    // True while a source that may raise runs with an alarm on, or while an
    // alarm is raised: evaluate() is then due once a second.
    bool needsTick() const;

    bool isRaised(WindAlarmKind kind) const { return m_alarms[int(kind)].raised; }
    std::vector<RaisedWindAlarm> raisedAlarms() const;

    // The user has seen the alarm: it stays raised, acknowledged until it
    // clears. An alarm that is not raised is left as it is.
    void acknowledge(WindAlarmKind kind);
    void acknowledgeAll();

private:
    struct Alarm
    {
        bool on = false;
        double threshold = 0;
        double clearLimit = 0;
        // The shift clears within the limit, the speeds only below it.
        bool clearsAtLimit = false;
        bool raised = false;
        bool acknowledged = false;
        qint64 raisedAtMs = 0;
        double value = 0;
        std::optional<qint64> quietSinceMs;
    };

    void resetStatistics();
    void advanceTo(qint64 nowMs);
    void judge(WindAlarmKind kind, std::optional<double> value, qint64 nowMs,
               std::vector<WindAlarmEvent> &events);
    void judgeSilence(qint64 nowMs, std::vector<WindAlarmEvent> &events);
    std::optional<double> shiftDegrees() const;
    bool mayRaise() const;
    void raise(WindAlarmKind kind, double value, qint64 nowMs, std::vector<WindAlarmEvent> &events);
    void clear(WindAlarmKind kind, double value, qint64 nowMs, std::vector<WindAlarmEvent> &events);

    WindAlarmConfig m_config;
    std::array<Alarm, windAlarmKindCount> m_alarms;

    std::optional<WindSource> m_source; // none while stopped
    std::optional<WindSource> m_samplesFrom;
    qint64 m_sourceStartMs = 0;
    std::optional<qint64> m_lastSampleMs;

    WindPeriod m_twoMinutes;
    WindPeriod m_tenMinutes;
    // The shift compares the last ShiftMinutes with the ShiftMinutes before
    // them. A sample joins the earlier period when it leaves the later one,
    // so it waits in m_shiftPending until then.
    WindPeriod m_shiftRecent;
    WindPeriod m_shiftEarlier;
    std::deque<WindSample> m_shiftPending;
};
