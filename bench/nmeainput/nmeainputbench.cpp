// SPDX-License-Identifier: MIT
// nmea-input-bench: the cost of reading the wind from the network. A second
// thread plays a multiplexer on plain sockets of this computer: MWV at a
// steady rate, numbered in their speed field (in hundredths of a metre per
// second, far inside the readable limit for any run), with or without 1,000 other
// sentences a second around them, over TCP or as one datagram each. This
// thread reads them with the TCP or UDP transport and the NMEA reader, as the
// application does. Prints one table: CPU of the reading thread per core,
// readings got, latency from the write that completed an MWV to the reader's
// event, and the peak resident size.

#include "../processfigures.h"

#include "core/nmeasentence.h"
#include "core/nmeawindreader.h"
#include "platform/tcplinetransport.h"
#include "platform/udplinetransport.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Scenario
{
    const char *name;
    bool tcp;
    double readingsPerSecond;
    double othersPerSecond;
};

sockaddr_in loopback(quint16 port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// The far end: writes on its own thread, noting when each MWV was written.
class Multiplexer
{
public:
    Multiplexer(const Scenario &scenario, std::chrono::seconds duration)
        : m_scenario(scenario)
        , m_duration(duration)
    {
        m_socket = ::socket(AF_INET, scenario.tcp ? SOCK_STREAM : SOCK_DGRAM, 0);
        if (scenario.tcp) {
            const sockaddr_in any = loopback(0);
            ::bind(m_socket, reinterpret_cast<const sockaddr *>(&any), sizeof any);
            ::listen(m_socket, 1);
            sockaddr_in bound{};
            socklen_t length = sizeof bound;
            ::getsockname(m_socket, reinterpret_cast<sockaddr *>(&bound), &length);
            m_tcpPort = ntohs(bound.sin_port);
        }
    }
    ~Multiplexer()
    {
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_socket);
    }

    quint16 tcpPort() const { return m_tcpPort; }
    void start(quint16 udpPort)
    {
        m_thread = std::thread([this, udpPort] { run(udpPort); });
    }
    void join() { m_thread.join(); }
    // Valid after join(): when MWV number n + 1 was written.
    const std::vector<Clock::time_point> &written() const { return m_written; }

private:
    void run(quint16 udpPort)
    {
        int out = m_socket;
        const sockaddr_in target = loopback(udpPort);
        if (m_scenario.tcp)
            out = ::accept(m_socket, nullptr, nullptr);
        const auto send = [&](const QByteArray &sentence) {
            if (m_scenario.tcp)
                ::send(out, sentence.constData(), size_t(sentence.size()), MSG_NOSIGNAL);
            else
                ::sendto(out, sentence.constData(), size_t(sentence.size()), 0,
                         reinterpret_cast<const sockaddr *>(&target), sizeof target);
        };
        const QByteArray other = nmeaSentence("WIXDR,C,12.3,C,AIRTEMP,P,1.013,B,BARO");
        const auto start = Clock::now() + std::chrono::milliseconds(200);
        const auto end = start + m_duration;
        const auto at = [start](double index, double rate) {
            return start
                + std::chrono::duration_cast<Clock::duration>(
                       std::chrono::duration<double>(index / rate));
        };
        long long others = 0;
        for (;;) {
            const auto nextReading = at(double(m_written.size()) + 1, m_scenario.readingsPerSecond);
            const auto nextOther = m_scenario.othersPerSecond > 0
                ? at(double(others), m_scenario.othersPerSecond)
                : Clock::time_point::max();
            const auto next = std::min(nextReading, nextOther);
            if (next > end)
                break;
            std::this_thread::sleep_until(next);
            if (next == nextReading) {
                send(nmeaSentence("IIMWV,045.0,R,"
                                  + QByteArray::number((m_written.size() + 1) / 100.0, 'f', 2)
                                  + ",M,A"));
                m_written.push_back(Clock::now());
            } else {
                send(other);
                ++others;
            }
        }
        if (m_scenario.tcp)
            ::close(out);
    }

    Scenario m_scenario;
    std::chrono::seconds m_duration;
    int m_socket = -1;
    quint16 m_tcpPort = 0;
    std::thread m_thread;
    std::vector<Clock::time_point> m_written;
};

struct Row
{
    int written = 0;
    int got = 0;
    double cpuPercent = 0;
    double p50 = 0, p99 = 0, max = 0;
    qint64 peakKiB = 0;
};

Row measure(const Scenario &scenario, std::chrono::seconds duration)
{
    resetPeakResident();
    Multiplexer multiplexer(scenario, duration);
    std::unique_ptr<LineTransport> transport;
    if (scenario.tcp)
        transport = std::make_unique<TcpLineTransport>(
            IpEndpoint{QStringLiteral("127.0.0.1"), multiplexer.tcpPort()});
    else
        transport = std::make_unique<UdpLineTransport>(0);
    NmeaWindReader reader(NmeaWind::Apparent);
    std::vector<std::pair<int, Clock::time_point>> events;
    QObject::connect(transport.get(), &LineTransport::received, [&](const QByteArray &bytes) {
        for (const WindLineEvent &event : reader.feed(bytes)) {
            if (event.kind == WindLineEvent::Kind::Reading)
                events.emplace_back(qRound(*event.reading.speedMetresPerSecond * 100),
                                    Clock::now());
        }
    });
    transport->open();
    multiplexer.start(scenario.tcp ? 0 : static_cast<UdpLineTransport &>(*transport).boundPort());

    // The multiplexer starts 200 ms after the connection and may end late
    // on a busy machine; a coarse timer could fire 5 % early.
    const auto listening = duration + std::chrono::milliseconds(700);
    const double cpuBefore = callingThreadCpuSeconds();
    QTimer::singleShot(listening, Qt::PreciseTimer, QCoreApplication::instance(),
                       QCoreApplication::quit);
    QCoreApplication::exec();
    Row row;
    row.cpuPercent = 100 * (callingThreadCpuSeconds() - cpuBefore)
        / std::chrono::duration<double>(listening).count();
    multiplexer.join();
    transport->close();

    const std::vector<Clock::time_point> &written = multiplexer.written();
    row.written = int(written.size());
    std::vector<double> latencies;
    for (const auto &[number, arrived] : events) {
        if (number < 1 || number > row.written)
            continue;
        ++row.got;
        latencies.push_back(
            std::chrono::duration<double, std::milli>(arrived - written[size_t(number - 1)])
                .count());
    }
    std::sort(latencies.begin(), latencies.end());
    row.p50 = percentileOf(latencies, 0.50);
    row.p99 = percentileOf(latencies, 0.99);
    row.max = latencies.empty() ? 0 : latencies.back();
    row.peakKiB = peakResidentKiB();
    return row;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const std::chrono::seconds duration(seconds);

    std::printf("%s; Qt %s; %d s a row\n\n", qPrintable(machineDescription()), qVersion(), seconds);
    std::printf("| input | CPU %% of a core | MWV written | readings | p50 ms | p99 ms | max ms "
                "| peak RSS KiB |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|\n");
    const Scenario scenarios[] = {
        {"TCP, 4 MWV/s", true, 4, 0},
        {"TCP, 40 MWV/s", true, 40, 0},
        {"TCP, 40 MWV/s and 1,000 XDR/s", true, 40, 1000},
        {"UDP, 40 MWV/s and 1,000 XDR/s, a datagram each", false, 40, 1000},
    };
    for (const Scenario &scenario : scenarios) {
        const Row row = measure(scenario, duration);
        std::printf("| %s | %.2f | %d | %d | %.3f | %.3f | %.3f | %lld |\n", scenario.name,
                    row.cpuPercent, row.written, row.got, row.p50, row.p99, row.max,
                    static_cast<long long>(row.peakKiB));
        std::fflush(stdout);
    }
    return 0;
}
