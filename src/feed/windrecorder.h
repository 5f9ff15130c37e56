// SPDX-License-Identifier: MIT
#pragma once

#include "feed/recordedsource.h"

#include "core/metarwind.h"
#include "core/windsample.h"
#include "core/windstatistics.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QTimer;
class SettingsFile;
class WindFeed;
class WindLogWriter;
struct WindFeedReading;

// Records every accepted sample for the statistics and the history window
// and, when the settings switch it on, in the data log; counts the frames
// that failed their checksum. connectRecorder() feeds it from the feed.
class WindRecorder : public QObject
{
    Q_OBJECT

public:
    using Clock = std::function<qint64()>;

    // With the system's clocks: monotonicMilliseconds() for the statistics,
    // the UTC time for the data log's rows.
    explicit WindRecorder(QObject *parent = nullptr);
    // With given clocks, for tests: monotonicClock must be the clock that
    // stamps the samples.
    WindRecorder(Clock monotonicClock, Clock utcClock, QObject *parent = nullptr);
    ~WindRecorder() override;

    // Writes every later sample to the data log in folder and deletes the
    // log's expired files now and at every UTC midnight; keepDays none keeps
    // them all. Throws AppError (InvalidArgument) for a negative keepDays.
    void startLog(const QString &folder, std::optional<int> keepDays);
    bool isLogging() const { return m_log != nullptr; }
    // The folder the log writes to; empty without a log.
    QString logFolder() const;
    // How many days the log keeps; none keeps every file, or there is no log.
    std::optional<int> logKeepDays() const { return m_logKeepDays; }

    // A reading of the source of the moment, at its own UTC time.
    void record(const WindFeedReading &reading);
    // A sensor sample carries the port it came from into the log; stamped
    // with the UTC clock now.
    void recordSample(const WindSample &sample, WindSource source, int portNumber);
    // logSource is the data log's name of where it came from (windlogrow.h).
    void recordSample(const WindSample &sample, const QString &logSource, qint64 utcMs);
    void recordRejectedFrame();
    // A source started: the frame counts start again from 0.
    void sourceStarted(const RecordedSource &source);
    // A source of that kind stopped. A source of another kind that has
    // already started in its place is kept.
    void sourceStopped(RecordedSource::Kind kind);
    // What the live input's link says of itself: empty once it delivers
    // again, otherwise what is wrong (WindFeed::linkStateChanged).
    void linkStateChanged(const QString &problem);
    // Which wind the live input shows (WindFeed::windDescriptionChanged).
    void windDescribed(const QString &wind);

    const RecordedSource &source() const { return m_source; }
    // Samples and rejected frames since the source started.
    qint64 acceptedCount() const { return m_accepted; }
    qint64 rejectedCount() const { return m_rejected; }

    // The present time on the samples' clock, never before the last sample.
    qint64 now() const;
    // As of a time from now(), or later.
    WindStatisticsSnapshot statistics(qint64 nowMs);
    std::vector<WindHistoryPoint> history(qint64 nowMs, qint64 spanMs) const;
    // What the METAR wind group of the spanMs up to nowMs is made from; none
    // without a sample in the period. It walks the period's samples, so it
    // is worked out at most once a second of the samples' clock for each
    // span, however often it is asked for: a report's group moves slowly.
    std::optional<MetarWindFigures> metarWindFigures(qint64 nowMs, qint64 spanMs);
    // The same points handed one by one to visit(const WindHistoryPoint &),
    // without copying the span.
    template<class Visit> void forEachHistoryPoint(qint64 nowMs, qint64 spanMs, Visit &&visit) const
    {
        m_statistics.forEachHistoryPoint(std::max(nowMs, m_lastSampleMs), spanMs,
                                         std::forward<Visit>(visit));
    }

signals:
    // The data log cannot be written: once an outage, naming the folder and
    // the reason.
    void problem(const QString &message);

private:
    void scheduleExpiryAtMidnight();

    Clock m_monotonicClock;
    Clock m_utcClock;
    WindStatistics m_statistics;
    qint64 m_lastSampleMs = 0;
    RecordedSource m_source;
    qint64 m_accepted = 0;
    qint64 m_rejected = 0;
    WindLogWriter *m_log = nullptr;
    std::optional<int> m_logKeepDays;
    QTimer *m_midnightTimer = nullptr;
    // The last METAR figures worked out for each span asked for.
    struct MetarFiguresAt
    {
        qint64 spanMs = 0;
        qint64 second = 0; // nowMs / 1000 when worked out
        std::optional<MetarWindFigures> figures;
    };
    std::vector<MetarFiguresAt> m_metarFigures;
    // A sample refused by the engine or the log is logged once, not at
    // every sample.
    bool m_refusalReported = false;
};

// Feeds the recorder from the feed's signals.
void connectRecorder(WindFeed &feed, WindRecorder &recorder);

// Starts the recorder's data log as the settings file's optional section
// [LOG] asks; without it there is no log. Returns what the user must be told
// of a section that cannot be used, which leaves the log off.
QStringList startDataLogFromSettings(WindRecorder &recorder, const SettingsFile &settings);
