// SPDX-License-Identifier: MIT
#pragma once

#include "core/windsample.h"
#include "core/windstatistics.h"

#include <QObject>
#include <QString>

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QTimer;
class SettingsFile;
class WindLogWriter;
class WindWindow;

// Where the recorded samples come from.
struct RecordedSource
{
    // Sensor: listening to the live input, whatever it is.
    enum class Kind { None, Sensor, ExampleMode };

    RecordedSource() = default;
    RecordedSource(Kind kind, int portNumber, QString device, QString input = {},
                   QString logName = {}, QString state = {})
        : kind(kind)
        , portNumber(portNumber)
        , device(std::move(device))
        , input(std::move(input))
        , logName(std::move(logName))
        , state(std::move(state))
    { }

    Kind kind = Kind::None;
    int portNumber = 0; // the serial port listening opens
    QString device; // what that port opened; empty when unknown or not serial
    // The input in a few words when it is not the sensor's frames on the
    // serial port: "COM3 NMEA 0183 4800", "tcp 192.168.1.10:10110",
    // "udp :10110".
    QString input;
    // The source the data log gives the samples: "COM3", "tcp", "udp";
    // empty: the port.
    QString logName;
    // How the input fares: "connecting", "connected", "receiving",
    // "retrying in 2 s: Connection refused", "device missing: ...",
    // "stopped: ...".
    QString state;
};

// Records every accepted sample for the statistics and the history window
// and, when the settings switch it on, in the data log; counts the frames
// that failed their checksum. It never touches the main window:
// connectRecorder() feeds it from the window's signals.
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

    // A sensor sample carries the port it came from into the log.
    void recordSample(const WindSample &sample, WindSource source, int portNumber);
    // logSource is the data log's name of where it came from (windlogrow.h).
    void recordSample(const WindSample &sample, const QString &logSource);
    void recordRejectedFrame();
    // A source started: the frame counts start again from 0.
    void sourceStarted(const RecordedSource &source);
    // A source of that kind stopped. A source of another kind that has
    // already started in its place is kept.
    void sourceStopped(RecordedSource::Kind kind);
    // What the live input's link says of itself: empty once it delivers
    // again, otherwise what is wrong (WindWindow::linkStateChanged).
    void linkStateChanged(const QString &problem);

    const RecordedSource &source() const { return m_source; }
    // Samples and rejected frames since the source started.
    qint64 acceptedCount() const { return m_accepted; }
    qint64 rejectedCount() const { return m_rejected; }

    // The present time on the samples' clock, never before the last sample.
    qint64 now() const;
    // As of a time from now(), or later.
    WindStatisticsSnapshot statistics(qint64 nowMs);
    std::vector<WindHistoryPoint> history(qint64 nowMs, qint64 spanMs) const;
    // The same points handed one by one to visit(const WindHistoryPoint &),
    // without copying the span.
    template<class Visit> void forEachHistoryPoint(qint64 nowMs, qint64 spanMs, Visit &&visit) const
    {
        m_statistics.forEachHistoryPoint(std::max(nowMs, m_lastSampleMs), spanMs,
                                         std::forward<Visit>(visit));
    }

signals:
    // The data log cannot be written (once an outage, naming the folder and
    // the reason), or a sample could not be recorded.
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
    // A sample refused by the engine or the log is reported once, not at
    // every sample.
    bool m_refusalReported = false;
};

// Feeds the recorder from the main window's signals. describeInput says what
// listening on a port reads (WindInput::recordedSource).
void connectRecorder(WindWindow &window, WindRecorder &recorder,
                     std::function<RecordedSource(int port)> describeInput);

// Starts the recorder's data log as the settings file's optional section
// [LOG] asks; without it there is no log. A section that cannot be used is
// reported through the recorder's problem() and leaves the log off.
void startDataLogFromSettings(WindRecorder &recorder, const SettingsFile &settings);
