// SPDX-License-Identifier: MIT
#include "linefeeder.h"

#include "core/sensorframe.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace {
[[noreturn]] void failWithErrno(const char *what)
{
    throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}
} // namespace

LineFeeder::LineFeeder()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        failWithErrno("cannot create a pseudo-terminal");
    char name[128] = {};
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0
        || ::ptsname_r(m_master, name, sizeof name) != 0) {
        ::close(m_master);
        failWithErrno("cannot unlock the pseudo-terminal");
    }
    m_slavePath = QString::fromLocal8Bit(name);
    // Raw before the application opens its end: an echo would fill the
    // master's input, which nobody reads, and stall the line.
    termios settings{};
    if (::tcgetattr(m_master, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(m_master, TCSANOW, &settings);
    }
    // Non-blocking, so that a full line never keeps the thread from stopping.
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
}

LineFeeder::~LineFeeder()
{
    stop();
    ::close(m_master);
}

QByteArray LineFeeder::frame(int frameNumber)
{
    char payload[32];
    std::snprintf(payload, sizeof payload, "Q,%03d,%06.2f,M,00,", frameNumber * 7 % 360,
                  frameNumber / 100.0);
    const int checksum = sensorChecksum(QString::fromLatin1(payload));
    char text[48];
    std::snprintf(text, sizeof text, "\x02%s\x03%02X\r\n", payload, checksum);
    return QByteArray(text);
}

int LineFeeder::frameNumberOf(double windSpeed)
{
    return static_cast<int>(std::lround(windSpeed * 100));
}

void LineFeeder::start(const Schedule &schedule)
{
    stop();
    m_stopRequested = false;
    m_framesWritten = 0;
    m_threadCpuSeconds = 0;
    m_writeTimes.assign(MaxFrames + 1, Clock::time_point());
    m_thread = std::thread([this, schedule] { run(schedule); });
}

void LineFeeder::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopRequested = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

bool LineFeeder::sleepUntil(Clock::time_point deadline)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return !m_wake.wait_until(lock, deadline, [this] { return m_stopRequested; });
}

bool LineFeeder::writeAll(const char *data, int length, int marked,
                          Clock::time_point *markedWriteStart)
{
    int done = 0;
    while (done < length) {
        const Clock::time_point started = Clock::now();
        const ssize_t written = ::write(m_master, data + done, length - done);
        if (written > 0) {
            if (marked >= done && marked < done + written)
                *markedWriteStart = started;
            done += static_cast<int>(written);
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno != EAGAIN)
            return false;
        // The line is full: wait for the application to read, a little at a
        // time, so that a stop request is seen.
        pollfd state{m_master, POLLOUT, 0};
        ::poll(&state, 1, 20);
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopRequested)
            return false;
    }
    return true;
}

void LineFeeder::run(Schedule schedule)
{
    const Clock::time_point begin = Clock::now();
    const Clock::time_point end = begin + schedule.duration;
    const bool flatOut = schedule.pacing == Pacing::FlatOut;
    if (flatOut || schedule.framesPerSecond > 0) {
        const std::chrono::duration<double> period(flatOut ? 0 : 1 / schedule.framesPerSecond);
        const std::chrono::duration<double> byteTime(1 / BytesPerSecond);
        for (int number = 1; number <= MaxFrames; ++number) {
            // Half a period in, so that the first frame does not meet the
            // loop's start and the last one is shown before the end.
            const auto due
                = begin + std::chrono::duration_cast<Clock::duration>(period * (number - 0.5));
            if (due > end || (flatOut && Clock::now() > end) || !sleepUntil(due))
                break;
            const QByteArray bytes = frame(number);
            const int length = static_cast<int>(bytes.size());
            const int lastDigit = length - 3; // before CR LF
            Clock::time_point completed;
            bool written = true;
            if (schedule.pacing == Pacing::ByteByByte) {
                for (int i = 0; written && i < length; ++i) {
                    const auto byteDue
                        = due + std::chrono::duration_cast<Clock::duration>(byteTime * i);
                    written = sleepUntil(byteDue)
                        && writeAll(bytes.constData() + i, 1, lastDigit - i, &completed);
                }
            } else {
                written = writeAll(bytes.constData(), length, lastDigit, &completed);
            }
            // A frame cut short after its checksum is complete all the same:
            // the application may show it.
            if (completed != Clock::time_point()) {
                m_writeTimes[number] = completed;
                m_framesWritten = number;
            }
            if (!written)
                break;
        }
    }
    timespec cpu{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    m_threadCpuSeconds = static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) / 1e9;
}
