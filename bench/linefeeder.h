// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

// The far end of a serial line: a pseudo-terminal whose master end a second
// thread writes sensor frames to, on a schedule, noting when each frame was
// complete on the line. The application opens the slave end as its port.
//
// Frames are numbered from 1. The number travels in the speed field (in
// hundredths of a metre per second), so whoever sees a frame's speed on the
// display knows which frame it was; the direction turns with every frame so
// that the compass has work to do as well.
class LineFeeder
{
public:
    using Clock = std::chrono::steady_clock;

    enum class Pacing {
        WholeFrames, // each frame in one write, frames evenly spaced
        ByteByByte, // each byte in its own write, one byte time apart at 9600 baud
        FlatOut, // each frame in one write, as fast as the pseudo-terminal accepts them
    };

    struct Schedule
    {
        Pacing pacing = Pacing::WholeFrames;
        double framesPerSecond = 0; // 0: a quiet line
        std::chrono::milliseconds duration{0};
    };

    // Throws std::runtime_error when no pseudo-terminal can be had.
    LineFeeder();
    ~LineFeeder();
    LineFeeder(const LineFeeder &) = delete;
    LineFeeder &operator=(const LineFeeder &) = delete;

    QString slavePath() const { return m_slavePath; }

    void start(const Schedule &schedule);
    // Cuts the schedule short if it still runs and waits for the thread.
    void stop();

    // The figures below are valid once stop() has returned.
    int framesWritten() const { return m_framesWritten; }
    // When the write began that carried the frame's last checksum digit: the
    // frame is complete from then on, and the application need not wait for
    // the CR LF that ends the line.
    Clock::time_point completed(int frameNumber) const { return m_writeTimes.at(frameNumber); }
    // CPU time the feeding thread used, so that it can be told apart from
    // the application's.
    double threadCpuSeconds() const { return m_threadCpuSeconds; }

    // The speed field holds 000.00 to 999.99.
    static constexpr int MaxFrames = 99999;
    static constexpr int FrameLength = 24;
    static constexpr double BytesPerSecond = 960; // 9600 baud, 10 bits a byte
    static QByteArray frame(int frameNumber);
    static int frameNumberOf(double windSpeed);

private:
    void run(Schedule schedule);
    bool sleepUntil(Clock::time_point deadline);
    // Writes every byte; `markedWriteStart` gets the start of the write that
    // carried the byte at index `marked`.
    bool writeAll(const char *data, int length, int marked, Clock::time_point *markedWriteStart);

    int m_master = -1;
    QString m_slavePath;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopRequested = false;
    int m_framesWritten = 0;
    std::vector<Clock::time_point> m_writeTimes;
    double m_threadCpuSeconds = 0;
};
