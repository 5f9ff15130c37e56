// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

// The far end of shared output: TCP clients on this computer, served by a
// second thread, that take what the application's sentence server sends.
// Readers read everything and stamp each line with the moment the read that
// completed it returned; sleepers connect and never read, as a stalled
// chartplotter would. Plain system sockets, so that no event loop of the
// application's thread does their work.
class NmeaLoad
{
public:
    using Clock = std::chrono::steady_clock;

    struct Line
    {
        Clock::time_point arrived;
        QByteArray text; // without its CR LF
    };

    NmeaLoad() = default;
    ~NmeaLoad();
    NmeaLoad(const NmeaLoad &) = delete;
    NmeaLoad &operator=(const NmeaLoad &) = delete;

    // Connects the clients to 127.0.0.1:port and starts reading. The
    // server accepts them in its own event loop; wait for its client count
    // before sending. Throws std::runtime_error when a client cannot
    // connect.
    void start(quint16 port, int readers, int sleepers = 0);
    // Stops reading and closes every client.
    void stop();

    // The figures below are valid once stop() has returned.
    int readerCount() const { return int(m_readers.size()); }
    const std::vector<Line> &linesOf(int reader) const { return m_readers.at(reader).lines; }
    // Clients the server closed or reset: a reader should never be among
    // them, a sleeper should once its queue is full.
    int readersClosed() const;
    int sleepersClosed() const;
    // CPU time the reading thread used, so that it can be told apart from
    // the application's.
    double threadCpuSeconds() const { return m_threadCpuSeconds; }

private:
    struct Client
    {
        int fd = -1;
        bool closed = false;
        QByteArray pending;
        std::vector<Line> lines;
    };

    void run();
    void readFrom(Client &client);

    std::vector<Client> m_readers;
    std::vector<Client> m_sleepers;
    std::thread m_thread;
    std::atomic<bool> m_stopRequested{false};
    double m_threadCpuSeconds = 0;
};
