// SPDX-License-Identifier: MIT
#pragma once

#include "core/ipliteral.h"
#include "platform/linetransport.h"

#include <QElapsedTimer>
#include <QTimer>

class QTcpSocket;

// gpsd sends nothing but its version until a client asks: this asks it to
// relay every sentence of its devices as NMEA 0183, between JSON reports of
// its own that the NMEA reader drops, as it drops any line that is no
// sentence.
inline constexpr char GpsdWatchRequest[] = "?WATCH={\"enable\":true,\"nmea\":true};\n";

// Sentences from a TCP server: a multiplexer, a boat's instrument server,
// another copy of this application sharing its wind. A server that is not
// there yet, goes away or restarts is tried again every 2 s for the first
// 30 s of the outage, so that a restart of the server is followed within
// seconds; after that the tries go 4, 8, 16 and 30 s apart, so that a server
// switched off for good costs next to nothing. The outage ends once a
// connection delivers data. Nothing waits and nothing is shown but the
// state. Each new connection emits restarted(); each lost connection or
// failed attempt emits lost() with the state ("retrying in 2 s: Connection
// refused"). failed() is never emitted: a server may always come back.
//
// A server that stays connected without sending is not lost: silence is
// for the display's stale mark. A server that vanishes without closing
// (powered off, cable pulled) is found by TCP keepalive within half a minute
// on Linux; elsewhere after the system's keepalive time.
class TcpLineTransport final : public LineTransport
{
    Q_OBJECT

public:
    static constexpr int FirstRetryMs = 2000;
    // How long into an outage the tries stay FirstRetryMs apart.
    static constexpr int SteadyRetryForMs = 30000;
    static constexpr int LongestRetryMs = 30000;
    // A server that neither accepts nor refuses (packets dropped on the way)
    // would otherwise hold an attempt for minutes.
    static constexpr int ConnectTimeoutMs = 10000;
    // What the socket holds before the system's buffer and TCP's flow
    // control take over: a stalled event loop never piles up input.
    static constexpr qint64 ReadBufferBytes = 64 * 1024;

    explicit TcpLineTransport(const IpEndpoint &server, QObject *parent = nullptr);
    ~TcpLineTransport() override;

    // Starts connecting; never throws.
    void open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    // "tcp 192.168.1.10:10110"
    QString description() const override;

    // "connecting", "connected" or "retrying in 4 s: Connection refused";
    // empty while closed.
    QString state() const { return m_state; }

    // Written to the server on every connection, first of all: a server such
    // as gpsd sends its sentences only when asked. Set before open().
    void setGreeting(const QByteArray &greeting) { m_greeting = greeting; }

    // Tests shorten the waits.
    void setDelays(int firstRetryMs, int steadyRetryForMs, int longestRetryMs,
                   int connectTimeoutMs);

signals:
    void stateChanged(const QString &state);

private:
    void connectNow();
    void connected();
    void readAvailable();
    void connectionEnded(const QString &reason);
    void dropSocket();
    void setState(const QString &state);
    int nextRetryDelayMs();

    IpEndpoint m_server;
    QByteArray m_greeting;
    QTcpSocket *m_socket = nullptr;
    QTimer m_retryTimer;
    QTimer m_connectTimer;
    int m_firstRetryMs = FirstRetryMs;
    int m_steadyRetryForMs = SteadyRetryForMs;
    int m_longestRetryMs = LongestRetryMs;
    // The delay after the last one that grew; FirstRetryMs until then.
    int m_grownRetryMs = FirstRetryMs;
    // Runs from the start of the outage; invalid while data flows.
    QElapsedTimer m_outage;
    bool m_open = false;
    // Whether the outage has been logged: once per outage, not per attempt.
    bool m_outageLogged = false;
    QString m_state;
};
