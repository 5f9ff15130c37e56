// SPDX-License-Identifier: MIT
#pragma once

#include "feed/recordedsource.h"
#include "feed/windfeedreading.h"

#include "core/apperror.h"
#include "core/windchoice.h"
#include "core/windcorrections.h"

#include <QElapsedTimer>
#include <QObject>

#include <functional>
#include <memory>

class QTimer;
class WindLink;

// The one place where the wind comes in and goes out: it owns the source of
// the moment (a WindLink on the configured input while listening, or the
// random walk of example mode), the wind the display shows, the stale rule,
// the corrections of a misaligned sensor, and the time stamps of every
// reading. It holds no widget: the main window and every output (the
// recorder and data log, the NMEA output, MQTT, the alarms) subscribe to its
// signals and receive numbers.
//
// Listening and example mode exclude each other. Listening stays switched on
// (Halted) after the input failed, until it is switched off.
class WindFeed : public QObject
{
    Q_OBJECT

public:
    enum class State { Idle, Listening, Halted, ExampleMode };

    // Makes the input that listening reads, for the port number chosen at
    // that moment; called at every start of listening.
    using LinkFactory = std::function<std::unique_ptr<WindLink>(int portNumber)>;
    // Names that input for the history window and the data log.
    using SourceDescriber = std::function<RecordedSource(int portNumber)>;
    using Clock = std::function<qint64()>;

    // No value read for this long while listening marks the readouts that
    // show it as old.
    static constexpr int StaleAfterMs = 10500;
    // Example mode takes a step this often.
    static constexpr int ExampleStepMs = 250;

    explicit WindFeed(LinkFactory makeLink, QObject *parent = nullptr);
    ~WindFeed() override;

    // Without a describer the input is the sensor on the serial port.
    void setSourceDescriber(SourceDescriber describe);
    // An NMEA input's readings go through a choice of the one wind to show
    // (core/windchoice.h); the sensor's frames never do.
    void setWindChoice(NmeaWind wind, BoatSpeedSource boatSpeed);
    // Applied to every reading of a live input from the next one on.
    void setCorrections(const WindCorrections &corrections);
    WindCorrections corrections() const { return m_corrections; }
    // Tests give clocks of their own: the monotonic one stamps the samples,
    // the UTC one the readings' times.
    void setClocks(Clock monotonic, Clock utc);

    // The stored wind, port and mode, before start().
    void restore(double directionDegrees, double speedMetresPerSecond, int portNumber,
                 bool exampleModeOn);
    // Starts example mode when it is on and shows the stored wind once.
    // Throws the AppError of a value that cannot be shown, after showing
    // what came before it.
    void start();
    // The application is closing: the input closes and nothing more comes.
    void shutDown();
    bool isRunning() const { return m_running; }

    State state() const;
    bool isListening() const { return m_listening; }
    bool isExampleModeOn() const { return m_exampleModeOn; }
    WindStaleness staleness() const { return m_staleness; }
    // Milliseconds since the direction or the speed was last read while
    // listening (or since listening started).
    qint64 msSinceDirection() const { return m_directionAge.elapsed(); }
    qint64 msSinceSpeed() const { return m_speedAge.elapsed(); }

    double directionDegrees() const { return m_directionDegrees; }
    double speedMetresPerSecond() const { return m_speedMetresPerSecond; }
    // The serial port that listening opens.
    int portNumber() const { return m_portNumber; }
    void setPortNumber(int portNumber) { m_portNumber = qint16(portNumber); }
    // What listening reads now, as the recorder names it.
    RecordedSource listeningSource() const;
    // Which wind an NMEA input shows, in a few words; empty for the sensor.
    QString windDescription() const { return m_windDescription; }
    // The input listening reads; null while not listening.
    WindLink *link() const { return m_link.get(); }
    // Each tick takes one step of example mode.
    QTimer *exampleTimer() const { return m_exampleTimer; }
    // Fires when the next value becomes old.
    QTimer *staleTimer() const { return m_staleTimer; }

public slots:
    // The listen and example buttons' actions.
    void toggleListening();
    void toggleExampleMode();

signals:
    // The display shows this: every reading of the input, also one that
    // brought only one of its values, every step of example mode, and the
    // stored wind at start.
    void readingShown(const WindFeedReading &reading);
    // A complete reading was accepted: what the outputs record and share.
    void sampleAccepted(const WindFeedReading &reading);
    // A frame or sentence from the input was rejected; nothing of it was
    // stored.
    void frameRejected();
    void stateChanged(WindFeed::State state);
    void stalenessChanged(const WindStaleness &staleness);
    // How the input fares, for the link health: empty while it delivers or
    // is idle, otherwise what is wrong and what is being done about it
    // ("retrying in 2 s: Connection refused"), or "stopped: " and the cause
    // once it has failed.
    void linkStateChanged(const QString &state);
    // Listening stopped on a failure; told once, after the input's own
    // signal has returned.
    void halted(const AppError &error);
    // The wind an NMEA input shows changed kind (windDescription()).
    void windDescriptionChanged(const QString &description);

private:
    friend class WindowFixture;
    friend class FeedFixture;

    // Shows the wind as it stands. Throws the AppError of a value that
    // cannot be shown, after showing what came before it.
    void refreshDisplay();
    void startListening();
    void stopListening();
    void closeLink();
    void exampleTick();
    void stepExampleWalk();

    void takeReading(const WindReading &reading);
    void takeMotion(const BoatMotion &motion);
    void tellMissing(qint64 nowMs);
    void describeWind(const QString &description);
    void rejectFrame();
    void fail(const AppError &error);
    void lineLost(const QString &reason);
    // Tells the display, and returns what it told.
    WindFeedReading announce(const WindFigures &figures, bool directionRead, bool speedRead,
                             WindSource source, WindKind kind = WindKind::Sensor,
                             std::optional<double> angleOffBow = std::nullopt,
                             std::optional<double> reportedDirection = std::nullopt);
    void emitState();

    // The stale rule: what is old now, and the timer set for the next value
    // to become old.
    void resetAges();
    void updateStaleness();
    void setStaleness(const WindStaleness &staleness);

    LinkFactory m_makeLink;
    SourceDescriber m_describe;
    WindCorrections m_corrections;
    std::optional<WindChoice> m_choice; // for an NMEA input
    QString m_windDescription;
    // What keeps the choice from showing true wind, as the link health
    // last heard it.
    QString m_missing;
    Clock m_monotonicClock;
    Clock m_utcClock;

    // The wind the display shows, as it corrected it.
    double m_directionDegrees = 0;
    double m_speedMetresPerSecond = 0;
    qint16 m_portNumber = 0;
    bool m_listening = false; // switched on, also while halted on a failure
    bool m_halted = false; // the input failed while listening
    bool m_exampleModeOn = false;
    bool m_running = false; // started and not yet shut down
    State m_lastState = State::Idle;

    std::unique_ptr<WindLink> m_link; // while listening and not halted
    QTimer *m_exampleTimer = nullptr;
    // Fires when the next value becomes old.
    QTimer *m_staleTimer = nullptr;
    int m_staleAfterMs = StaleAfterMs; // shorter in some tests
    QElapsedTimer m_directionAge;
    QElapsedTimer m_speedAge;
    QElapsedTimer m_completeAge;
    bool m_lineLost = false;
    WindStaleness m_staleness;
};
