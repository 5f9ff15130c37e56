// SPDX-License-Identifier: MIT
// nmea-window-bench: NMEA 0183 input as the user gets it, from the write on
// the far end to the main window's refresh. The window is the real one,
// shown, with its input made from a settings file ([INPUT] and [PORTS]) as
// the application makes it. A second thread plays the instrument or the
// multiplexer: MWV at a steady rate on a pseudo-terminal, from a TCP server
// on 127.0.0.1 or as UDP datagrams, with or without 1,000 XDR sentences a
// second around them. Each MWV carries its number in its speed field (a
// hundredth of a metre per second each), so the refresh that shows it is
// known.
//
// Prints one table: CPU of the process less the feeding thread, per core;
// MWV written and shown; latency from the start of the write that carried an
// MWV to the end of the refresh that showed it; the peak resident size.

#include "../processfigures.h"

#include "app/errorguard.h"
#include "app/messages.h"
#include "app/windwindow.h"
#include "core/nmeasentence.h"
#include "core/settingsfile.h"
#include "feed/windfeed.h"
#include "feed/windinput.h"
#include "platform/windlink.h"
#include "widgets/windowfont.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QLoggingCategory>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <netinet/in.h>
#include <optional>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

enum class Line { PseudoTerminal, Tcp, Udp };

struct Scenario
{
    const char *name;
    Line line;
    double readingsPerSecond;
    double othersPerSecond;
};

// Before the first MWV: the window settles, and the TCP input connects.
constexpr std::chrono::milliseconds Settle(600);
// After the last: what is on its way is shown.
constexpr std::chrono::milliseconds Drain(500);

sockaddr_in loopback(quint16 port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

quint16 boundPort(int socket)
{
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    ::getsockname(socket, reinterpret_cast<sockaddr *>(&bound), &length);
    return ntohs(bound.sin_port);
}

// The far end of the input, writing on its own thread.
class Feeder
{
public:
    explicit Feeder(const Scenario &scenario)
        : m_scenario(scenario)
    {
        switch (scenario.line) {
        case Line::PseudoTerminal:
            m_socket = ::posix_openpt(O_RDWR | O_NOCTTY);
            if (m_socket < 0 || ::grantpt(m_socket) != 0 || ::unlockpt(m_socket) != 0)
                throw std::runtime_error("no pseudo-terminal");
            m_slavePath = QString::fromLocal8Bit(::ptsname(m_socket));
            break;
        case Line::Tcp: {
            m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
            const sockaddr_in any = loopback(0);
            ::bind(m_socket, reinterpret_cast<const sockaddr *>(&any), sizeof any);
            ::listen(m_socket, 1);
            m_port = boundPort(m_socket);
            break;
        }
        case Line::Udp: {
            // A port nothing holds, for the window to bind.
            const int probe = ::socket(AF_INET, SOCK_DGRAM, 0);
            const sockaddr_in any = loopback(0);
            ::bind(probe, reinterpret_cast<const sockaddr *>(&any), sizeof any);
            m_port = boundPort(probe);
            ::close(probe);
            m_socket = ::socket(AF_INET, SOCK_DGRAM, 0);
            break;
        }
        }
    }
    ~Feeder()
    {
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_socket);
    }

    // What [INPUT] and [PORTS] say for this line.
    QByteArray settingsSections() const
    {
        switch (m_scenario.line) {
        case Line::PseudoTerminal:
            return "[PORTS]\r\nCOM1=" + m_slavePath.toLocal8Bit()
                + "\r\n[INPUT]\r\nProtocol=NMEA0183\r\n";
        case Line::Tcp:
            return "[INPUT]\r\nTcp=127.0.0.1:" + QByteArray::number(m_port) + "\r\n";
        case Line::Udp:
            return "[INPUT]\r\nUdp=" + QByteArray::number(m_port) + "\r\n";
        }
        return {};
    }

    void start(std::chrono::seconds duration)
    {
        m_thread = std::thread([this, duration] { run(duration); });
    }
    void join() { m_thread.join(); }

    // Valid after join().
    const std::vector<Clock::time_point> &written() const { return m_written; }
    double cpuSeconds() const { return m_cpuSeconds; }
    Clock::time_point firstWrite() const { return m_firstWrite; }
    Clock::time_point lastWrite() const { return m_lastWrite; }

    // The MWV numbered n (from 1): its speed is n hundredths of a metre per
    // second, its direction turns 7 degrees a reading, as in wind-bench.
    static QByteArray reading(int n)
    {
        return nmeaSentence("IIMWV," + QByteArray::number((n * 7) % 360) + ".0,R,"
                            + QByteArray::number(n / 100) + '.'
                            + QByteArray::number(n % 100).rightJustified(2, '0') + ",M,A");
    }
    static int numberOf(double speedMetresPerSecond)
    {
        return int(std::lround(speedMetresPerSecond * 100));
    }

private:
    void run(std::chrono::seconds duration)
    {
        const double cpuBefore = callingThreadCpuSeconds();
        int out = m_socket;
        if (m_scenario.line == Line::Tcp)
            out = ::accept(m_socket, nullptr, nullptr);
        const sockaddr_in target = loopback(m_port);
        const auto send = [&](const QByteArray &sentence) {
            switch (m_scenario.line) {
            case Line::PseudoTerminal:
                for (qsizetype done = 0; done < sentence.size();) {
                    const ssize_t n
                        = ::write(out, sentence.constData() + done, size_t(sentence.size() - done));
                    if (n <= 0)
                        return;
                    done += n;
                }
                break;
            case Line::Tcp:
                ::send(out, sentence.constData(), size_t(sentence.size()), MSG_NOSIGNAL);
                break;
            case Line::Udp:
                ::sendto(out, sentence.constData(), size_t(sentence.size()), 0,
                         reinterpret_cast<const sockaddr *>(&target), sizeof target);
                break;
            }
        };
        const QByteArray other = nmeaSentence("WIXDR,C,12.3,C,AIRTEMP,P,1.013,B,BARO");
        const auto start = Clock::now() + Settle;
        const auto end = start + duration;
        const auto at = [start](double index, double rate) {
            return start
                + std::chrono::duration_cast<Clock::duration>(
                       std::chrono::duration<double>(index / rate));
        };
        long long others = 0;
        m_firstWrite = start;
        for (;;) {
            const int next = int(m_written.size()) + 1;
            const auto nextReading = at(double(next), m_scenario.readingsPerSecond);
            const auto nextOther = m_scenario.othersPerSecond > 0
                ? at(double(others), m_scenario.othersPerSecond)
                : Clock::time_point::max();
            const auto due = std::min(nextReading, nextOther);
            if (due > end)
                break;
            std::this_thread::sleep_until(due);
            if (due == nextReading) {
                m_written.push_back(Clock::now());
                send(reading(next));
            } else {
                send(other);
                ++others;
            }
        }
        m_lastWrite = Clock::now();
        if (m_scenario.line == Line::Tcp)
            ::close(out);
        m_cpuSeconds = callingThreadCpuSeconds() - cpuBefore;
    }

    Scenario m_scenario;
    int m_socket = -1;
    quint16 m_port = 0;
    QString m_slavePath;
    std::thread m_thread;
    std::vector<Clock::time_point> m_written;
    double m_cpuSeconds = 0;
    Clock::time_point m_firstWrite;
    Clock::time_point m_lastWrite;
};

struct Row
{
    int written = 0;
    int shown = 0;
    double cpuPercent = 0;
    double p50 = 0, p99 = 0, max = 0;
    qint64 peakKiB = 0;
    QStringList problems;
};

// A loop of its own: QCoreApplication::quit() would close the window too.
Row measure(const Scenario &scenario, std::chrono::seconds duration)
{
    Row row;
    resetPeakResident();
    Feeder feeder(scenario);

    QTemporaryDir folder;
    SettingsFile settings(folder.path(), folder.path());
    {
        QFile file(folder.filePath(QStringLiteral("Application.ini")));
        if (!file.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the settings file");
        file.write("[PARAMETRES]\r\nSerialPort1-COM=1\r\nDummyMode=False\r\n"
                   "[VALUES]\r\nAngle=0\r\nWind=0\r\n"
                   + feeder.settingsSections());
    }
    const MessagePresenter previous
        = setMessagePresenter([&row](QWidget *, const QString &, const QString &text, MessageIcon) {
              row.problems << text;
          });

    WindInput input(settings);
    WindFeed feed([&input](int port) { return input.makeLink(port); });
    WindWindow window(settings, feed);
    // In the application's order: the input configures the feed before the
    // feed starts.
    window.readSettings();
    row.problems << input.readSettings();
    input.configure(feed);
    window.start();
    window.show();
    // The first paint and the clock's first tick are not what is measured.
    runEventsFor(std::chrono::milliseconds(400));

    std::vector<std::optional<Clock::time_point>> refreshed;
    QObject::connect(&window, &WindWindow::displayRefreshed, &window, [&] {
        const Clock::time_point now = Clock::now();
        const int n = Feeder::numberOf(feed.speedMetresPerSecond());
        if (n < 1)
            return;
        if (size_t(n) > refreshed.size())
            refreshed.resize(size_t(n));
        if (!refreshed[size_t(n - 1)])
            refreshed[size_t(n - 1)] = now;
    });

    feed.toggleListening();
    feeder.start(duration);
    const double cpuBefore = processCpuSeconds();
    const Clock::time_point wallBefore = Clock::now();
    runEventsFor(std::chrono::duration_cast<std::chrono::milliseconds>(Settle + duration) + Drain);
    feeder.join();
    const double wall = std::chrono::duration<double>(Clock::now() - wallBefore).count();
    row.cpuPercent = 100 * (processCpuSeconds() - cpuBefore - feeder.cpuSeconds()) / wall;
    feed.toggleListening();
    row.peakKiB = peakResidentKiB();
    window.close();
    setMessagePresenter(previous);

    const std::vector<Clock::time_point> &written = feeder.written();
    row.written = int(written.size());
    std::vector<double> latencies;
    for (size_t i = 0; i < written.size() && i < refreshed.size(); ++i) {
        if (!refreshed[i])
            continue;
        ++row.shown;
        latencies.push_back(
            std::chrono::duration<double, std::milli>(*refreshed[i] - written[i]).count());
    }
    std::sort(latencies.begin(), latencies.end());
    row.p50 = percentileOf(latencies, 0.50);
    row.p99 = percentileOf(latencies, 0.99);
    row.max = latencies.empty() ? 0 : latencies.back();
    return row;
}

} // namespace

int main(int argc, char *argv[])
{
    WindApplication app(argc, argv);
    // As the application sets itself up: the style and the fonts decide what
    // painting costs.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    substituteWindowFonts();
    // Each TCP row ends with the server closing, which the input reports.
    QLoggingCategory::setFilterRules(QStringLiteral("wind.input.info=false"));
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const std::chrono::seconds duration(seconds);

    std::printf("%s; Qt %s, platform \"%s\"; the window is shown; %d s a row\n\n",
                qPrintable(machineDescription()), qVersion(),
                qPrintable(QGuiApplication::platformName()), seconds);
    std::printf("| input | CPU %% of a core | MWV written | shown | p50 ms | p99 ms | max ms "
                "| peak RSS MB | target | verdict |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---|---|\n");
    const Scenario scenarios[] = {
        {"pseudo-terminal, 4 MWV/s", Line::PseudoTerminal, 4, 0},
        {"pseudo-terminal, 40 MWV/s", Line::PseudoTerminal, 40, 0},
        {"pseudo-terminal, 40 MWV/s and 1,000 XDR/s", Line::PseudoTerminal, 40, 1000},
        {"TCP, 4 MWV/s", Line::Tcp, 4, 0},
        {"TCP, 40 MWV/s", Line::Tcp, 40, 0},
        {"TCP, 40 MWV/s and 1,000 XDR/s", Line::Tcp, 40, 1000},
        {"UDP, 40 MWV/s and 1,000 XDR/s, a datagram each", Line::Udp, 40, 1000},
    };
    // A second argument runs that row alone, counted from 1.
    const int only = argc > 2 ? std::atoi(argv[2]) : 0;
    int number = 0;
    for (const Scenario &scenario : scenarios) {
        if (++number != only && only > 0)
            continue;
        const Row row = measure(scenario, duration);
        const bool flood = scenario.othersPerSecond > 0;
        const bool allShown = row.shown == row.written && row.written > 0;
        const bool met
            = allShown && row.problems.isEmpty() && (flood ? row.cpuPercent <= 5 : row.p99 <= 2);
        std::printf("| %s | %.2f | %d | %d | %.3f | %.3f | %.3f | %.1f | %s | %s |\n",
                    scenario.name, row.cpuPercent, row.written, row.shown, row.p50, row.p99,
                    row.max, double(row.peakKiB) / 1024,
                    flood ? "CPU ≤ 5 %, all shown" : "p99 ≤ 2 ms, all shown",
                    met ? "met" : "MISSED");
        for (const QString &problem : row.problems)
            std::printf("  problem: %s\n", qPrintable(problem));
        std::fflush(stdout);
    }
    return 0;
}
