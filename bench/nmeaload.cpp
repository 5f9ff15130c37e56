// SPDX-License-Identifier: MIT
#include "nmeaload.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int connectedSocket(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("no socket for a load client");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        throw std::runtime_error("a load client could not connect");
    }
    return fd;
}

// Often enough to notice a stop request soon; the wake-ups cost nothing
// next to the readers' work.
constexpr int PollTimeoutMs = 20;

} // namespace

NmeaLoad::~NmeaLoad()
{
    stop();
}

void NmeaLoad::start(quint16 port, int readers, int sleepers)
{
    stop();
    m_readers.assign(size_t(readers), Client());
    m_sleepers.assign(size_t(sleepers), Client());
    try {
        for (Client &client : m_readers)
            client.fd = connectedSocket(port);
        for (Client &client : m_sleepers)
            client.fd = connectedSocket(port);
    } catch (...) {
        stop();
        throw;
    }
    m_stopRequested = false;
    m_thread = std::thread(&NmeaLoad::run, this);
}

void NmeaLoad::stop()
{
    m_stopRequested = true;
    if (m_thread.joinable())
        m_thread.join();
    for (std::vector<Client> *clients : {&m_readers, &m_sleepers}) {
        for (Client &client : *clients) {
            if (client.fd >= 0)
                ::close(client.fd);
            client.fd = -1;
        }
    }
}

int NmeaLoad::readersClosed() const
{
    return int(std::count_if(m_readers.begin(), m_readers.end(),
                             [](const Client &client) { return client.closed; }));
}

int NmeaLoad::sleepersClosed() const
{
    return int(std::count_if(m_sleepers.begin(), m_sleepers.end(),
                             [](const Client &client) { return client.closed; }));
}

void NmeaLoad::run()
{
    std::vector<pollfd> fds;
    for (const Client &client : m_readers)
        fds.push_back({client.fd, POLLIN, 0});
    // A sleeper is only watched for the server closing it: without POLLIN
    // its data stay unread.
    for (const Client &client : m_sleepers)
        fds.push_back({client.fd, 0, 0});

    while (!m_stopRequested) {
        if (::poll(fds.data(), fds.size(), PollTimeoutMs) <= 0)
            continue;
        for (size_t i = 0; i < fds.size(); ++i) {
            const short events = fds[i].revents;
            if (events == 0)
                continue;
            Client &client = i < m_readers.size() ? m_readers[i] : m_sleepers[i - m_readers.size()];
            if (events & POLLIN)
                readFrom(client);
            if ((events & (POLLHUP | POLLERR)) || client.closed) {
                client.closed = true;
                fds[i].fd = -1; // poll skips negative descriptors
            }
        }
    }

    timespec cpu{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    m_threadCpuSeconds = double(cpu.tv_sec) + double(cpu.tv_nsec) / 1e9;
}

void NmeaLoad::readFrom(Client &client)
{
    char buffer[16 * 1024];
    const ssize_t received = ::recv(client.fd, buffer, sizeof buffer, MSG_DONTWAIT);
    const Clock::time_point now = Clock::now();
    if (received == 0 || (received < 0 && errno != EAGAIN && errno != EINTR)) {
        client.closed = true;
        return;
    }
    if (received < 0)
        return;
    client.pending.append(buffer, received);
    qsizetype end;
    while ((end = client.pending.indexOf("\r\n")) >= 0) {
        client.lines.push_back({now, client.pending.left(end)});
        client.pending.remove(0, end + 2);
    }
}
