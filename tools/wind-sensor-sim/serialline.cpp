// SPDX-License-Identifier: MIT
#include "serialline.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace {

[[noreturn]] void failWithErrno(const QString &what)
{
    const int error = errno;
    throw std::runtime_error(
        (what + QStringLiteral(": ") + QString::fromLocal8Bit(strerror(error))).toStdString());
}

void makeRaw(int fd)
{
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        failWithErrno(QStringLiteral("cannot read the line settings"));
    cfmakeraw(&settings);
    cfsetispeed(&settings, B9600);
    cfsetospeed(&settings, B9600);
    settings.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    if (tcsetattr(fd, TCSANOW, &settings) != 0)
        failWithErrno(QStringLiteral("cannot set the line to 9600 8N1 raw"));
}

} // namespace

SerialLine::SerialLine(int fd, QString path, bool pseudoTerminal)
    : m_fd(fd)
    , m_path(std::move(path))
    , m_pseudoTerminal(pseudoTerminal)
{ }

SerialLine::SerialLine(SerialLine &&other) noexcept
    : m_fd(other.m_fd)
    , m_path(std::move(other.m_path))
    , m_pseudoTerminal(other.m_pseudoTerminal)
{
    other.m_fd = -1;
}

SerialLine::~SerialLine()
{
    if (m_fd >= 0)
        close(m_fd);
}

SerialLine SerialLine::openDevice(const QString &path)
{
    // Without O_NONBLOCK, opening a serial port can wait for carrier detect.
    const int fd = open(path.toLocal8Bit().constData(), O_WRONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        failWithErrno(QStringLiteral("cannot open %1").arg(path));
    SerialLine line(fd, path, false);
    if (isatty(fd))
        makeRaw(fd);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return line;
}

SerialLine SerialLine::createPseudoTerminal()
{
    const int fd = posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0)
        failWithErrno(QStringLiteral("cannot create a pseudo-terminal"));
    SerialLine line(fd, QString(), true);
    if (grantpt(fd) != 0 || unlockpt(fd) != 0)
        failWithErrno(QStringLiteral("cannot unlock the pseudo-terminal"));
    const char *name = ptsname(fd);
    if (!name)
        failWithErrno(QStringLiteral("cannot name the pseudo-terminal"));
    line.m_path = QString::fromLocal8Bit(name);
    // Settings made through the master apply to the end that readers open.
    makeRaw(fd);
    // Linux reports a hang-up on the master only once its other end has been
    // opened and closed again; open and close it once so that write() can
    // tell from the start whether anyone reads.
    const int other = open(name, O_RDWR | O_NOCTTY);
    if (other >= 0)
        close(other);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    return line;
}

bool SerialLine::write(const QByteArray &data)
{
    if (m_pseudoTerminal) {
        pollfd state{m_fd, POLLOUT, 0};
        if (poll(&state, 1, 0) < 0 || (state.revents & POLLHUP))
            return false;
    }
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t written = ::write(m_fd, data.constData() + done, data.size() - done);
        if (written >= 0) {
            done += written;
            continue;
        }
        if (errno == EINTR)
            continue;
        // A pseudo-terminal whose reader went away or stopped reading: keep
        // the master open and try again with the next frame.
        if (m_pseudoTerminal && (errno == EIO || errno == EAGAIN))
            return false;
        failWithErrno(QStringLiteral("cannot write to %1").arg(m_path));
    }
    return true;
}
