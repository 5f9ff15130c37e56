// SPDX-License-Identifier: MIT
#pragma once

#include "feed/windfeed.h"

#include "core/nmeasettings.h"

#include <QObject>

#include <functional>

class QTimer;

// Decides which sentences go to the programs that share the wind, and when;
// the sink (the server's send) delivers them. The feed tells it of every
// accepted reading, of the readings going stale and of the source changing.
// Per reading it sends one sentence of each chosen kind: the wind as the
// display shows it, relative (MWV R) for a sensor or apparent wind, true
// (MWV T off the bow, MWD from north when the direction is known) for true
// wind. While the readings are stale, MWV goes out with status V (void) once
// a second, so that a listener sees the loss rather than a frozen value; MWD
// has no status and is not sent then. Rejected frames never reach it, so
// they send nothing.
class NmeaOutput : public QObject
{
    Q_OBJECT

public:
    using Sink = std::function<void(const QByteArray &sentence)>;

    static constexpr int DefaultVoidIntervalMs = 1000;

    // With output off in the configuration it sends nothing and starts no
    // timer.
    NmeaOutput(const NmeaConfig &config, Sink sink, QObject *parent = nullptr);

    // How often the void MWV repeats while stale; tests shorten it.
    void setVoidInterval(int voidIntervalMs);

    void sampleAccepted(const WindFeedReading &reading);
    // The feed's readings went stale while listening, or fresh again.
    void readingsStale(bool stale);
    // Listening or example mode stopped: nothing more goes out.
    void sourceStopped();

    bool isStale() const;

private:
    void sendVoid();

    NmeaConfig m_config;
    Sink m_sink;
    // What the last reading was, for the void MWV's reference.
    NmeaMwvReference m_lastReference = NmeaMwvReference::Relative;
    // Repeats the void MWV while the data are stale.
    QTimer *m_voidTimer = nullptr;
};

// Feeds the output from the feed's signals.
void connectNmeaOutput(WindFeed &feed, NmeaOutput &output);
