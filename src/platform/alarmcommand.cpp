// SPDX-License-Identifier: MIT
#include "alarmcommand.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

// A descriptor that becomes readable when the process ends, or -1.
int processDescriptor(pid_t pid)
{
#ifdef SYS_pidfd_open
    return int(::syscall(SYS_pidfd_open, pid, 0));
#else
    Q_UNUSED(pid);
    return -1;
#endif
}

// posix_spawn rather than QProcess: a QProcess ends its program when it is
// destroyed, and a detached QProcess never tells how the program ended.
// posix_spawn also reports a program that cannot be started as its result,
// and is safe in a process with threads (the MQTT client has one).
int spawnInOwnSession(const QStringList &words, pid_t *pid)
{
    std::vector<QByteArray> encoded;
    encoded.reserve(words.size());
    for (const QString &word : words)
        encoded.push_back(QFile::encodeName(word));
    std::vector<char *> argv;
    for (QByteArray &word : encoded)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own session: the terminal's Ctrl+C and hang-up reach the
    // application, not the program. Signals the application blocks or
    // ignores are the program's to handle again.
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signalNumber : {SIGPIPE, SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGCHLD, SIGUSR1, SIGUSR2})
        sigaddset(&defaults, signalNumber);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    const int error = ::posix_spawnp(pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error;
}

} // namespace

AlarmCommand::AlarmCommand(QStringList command, QObject *parent)
    : QObject(parent)
    , m_command(std::move(command))
{ }

AlarmCommand::~AlarmCommand()
{
    // Programs that have ended leave no trace; the others run on, watched
    // no more.
    reapEnded();
    for (const Run &run : m_runs) {
        if (run.ended) {
            run.ended->setEnabled(false);
            ::close(int(run.ended->socket()));
        }
    }
}

void AlarmCommand::run(bool raised, const QString &alarm, const QString &value)
{
    if (m_command.isEmpty())
        return;
    pid_t pid = 0;
    const int error = spawnInOwnSession(
        m_command
            + QStringList{raised ? QStringLiteral("raise") : QStringLiteral("clear"), alarm, value},
        &pid);
    if (error != 0) {
        report(tr("cannot be started: %1").arg(QString::fromLocal8Bit(std::strerror(error))));
        return;
    }
    Run started{pid, nullptr};
    const int descriptor = processDescriptor(pid);
    if (descriptor >= 0) {
        started.ended = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
        connect(started.ended, &QSocketNotifier::activated, this, [this, pid] { reap(pid); });
    } else {
        if (!m_poll) {
            m_poll = new QTimer(this);
            m_poll->setInterval(1000);
            connect(m_poll, &QTimer::timeout, this, &AlarmCommand::reapEnded);
        }
        m_poll->start();
    }
    m_runs.push_back(started);
}

void AlarmCommand::reapEnded()
{
    std::vector<qint64> pids;
    for (const Run &run : m_runs)
        pids.push_back(run.pid);
    for (qint64 pid : pids)
        reap(pid);
}

void AlarmCommand::reap(qint64 pid)
{
    int status = 0;
    const pid_t result = ::waitpid(pid_t(pid), &status, WNOHANG);
    if (result == 0)
        return;
    forget(pid);
    // Someone else reaped it (SIGCHLD ignored): how it ended is unknown.
    if (result < 0)
        return;
    if (WIFSIGNALED(status))
        report(tr("crashed"));
    else if (WIFEXITED(status) && WEXITSTATUS(status) != 0)
        report(tr("exited with code %1").arg(WEXITSTATUS(status)));
    else
        m_failing = false;
}

void AlarmCommand::forget(qint64 pid)
{
    const auto run = std::find_if(m_runs.begin(), m_runs.end(),
                                  [pid](const Run &run) { return run.pid == pid; });
    if (run == m_runs.end())
        return;
    if (run->ended) {
        // This may run inside the notifier's own signal: it goes later.
        run->ended->setEnabled(false);
        ::close(int(run->ended->socket()));
        run->ended->deleteLater();
    }
    m_runs.erase(run);
    const bool polled
        = std::any_of(m_runs.begin(), m_runs.end(), [](const Run &run) { return !run.ended; });
    if (m_poll && !polled)
        m_poll->stop();
}

void AlarmCommand::report(const QString &problem)
{
    if (m_failing)
        return;
    m_failing = true;
    emit failed(tr("The alarm command %1 %2.").arg(m_command.first(), problem));
}
