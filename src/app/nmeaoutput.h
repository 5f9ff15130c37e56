// SPDX-License-Identifier: MIT
#pragma once

#include "core/nmeasettings.h"

#include <QObject>

#include <functional>

class QTimer;
struct WindSample;

// Decides which sentences go to the programs that share the wind, and when;
// the sink (the server's send) delivers them. The window tells it of every
// accepted sample and of a source stopping. Per sample it sends one sentence
// of each chosen kind. When samples stop coming while a source runs, MWV
// goes out with status V (void) once a second, so that a listener sees the
// loss rather than a frozen value; MWD has no status and is not sent then.
// Rejected frames never reach it, so they send nothing.
class NmeaOutput : public QObject
{
    Q_OBJECT

public:
    using Sink = std::function<void(const QByteArray &sentence)>;

    static constexpr int DefaultStaleAfterMs = 10000;
    static constexpr int DefaultVoidIntervalMs = 1000;

    // With output off in the configuration it sends nothing and starts no
    // timer.
    NmeaOutput(const NmeaConfig &config, Sink sink, QObject *parent = nullptr);

    // How long without a sample the data count as stale, and how often the
    // void MWV repeats then. Tests shorten both.
    void setStaleTiming(int staleAfterMs, int voidIntervalMs);

    void sampleAccepted(const WindSample &sample, bool fromExampleMode);
    // From now on the sensor is the source: a line that never delivers a
    // sample goes stale like one that stopped delivering.
    void listeningStarted();
    void listeningStopped();
    void exampleModeStopped();

    bool isStale() const;

private:
    enum class Source { None, Listening, ExampleMode };

    void beginStale();
    void sendVoid();
    void stop();

    NmeaConfig m_config;
    Sink m_sink;
    Source m_source = Source::None;
    // Runs from each sent sample to the moment the data go stale.
    QTimer *m_staleTimer = nullptr;
    // Repeats the void MWV while the data are stale.
    QTimer *m_voidTimer = nullptr;
};
