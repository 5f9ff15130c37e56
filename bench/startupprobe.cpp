// SPDX-License-Identifier: MIT
#include "startupprobe.h"

#include "processfigures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
using Clock = std::chrono::steady_clock;

constexpr std::chrono::seconds PaintTimeout(10);

bool placeProgram(const QString &program, const QString &folder, QString *placed)
{
    *placed = folder + u'/' + QFileInfo(program).fileName();
    return ::link(QFile::encodeName(program).constData(), QFile::encodeName(*placed).constData())
        == 0
        || QFile::copy(program, *placed);
}

std::vector<QByteArray> childEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_LOGGING_RULES"),
                       QStringLiteral("qt.widgets.painting=true"));
    environment.insert(QStringLiteral("QT_MESSAGE_PATTERN"),
                       QStringLiteral("%{category}: %{message}"));
    std::vector<QByteArray> entries;
    for (const QString &entry : environment.toStringList())
        entries.push_back(entry.toLocal8Bit());
    return entries;
}

bool readSome(int fd, QByteArray *into, int timeoutMs)
{
    pollfd state{fd, POLLIN, 0};
    if (::poll(&state, 1, timeoutMs) <= 0)
        return false;
    char chunk[4096];
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got <= 0)
        return false;
    into->append(chunk, got);
    return true;
}

bool runOnce(const StartupSubject &subject, StartupRun *run, QString *error)
{
    const QString &program = subject.program;
    auto folderNextToProgram = std::make_unique<QTemporaryDir>(QFileInfo(program).absolutePath()
                                                               + QStringLiteral("/startup-XXXXXX"));
    if (!folderNextToProgram->isValid())
        folderNextToProgram = std::make_unique<QTemporaryDir>();
    const QTemporaryDir &folder = *folderNextToProgram;
    QString placed;
    if (!folder.isValid() || !placeProgram(program, folder.path(), &placed)) {
        *error = QStringLiteral("cannot place %1 in a folder of its own").arg(program);
        return false;
    }
    {
        QFile settings(folder.filePath(QStringLiteral("Application.ini")));
        if (!settings.open(QIODevice::WriteOnly)
            || settings.write("[PARAMETRES]\r\nSerialPort1-COM=1\r\nDummyMode=False\r\n"
                              "[VALUES]\r\nAngle=225\r\nWind=7.5\r\n")
                < 0) {
            *error = QStringLiteral("cannot write the settings file");
            return false;
        }
    }

    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        *error = QStringLiteral("cannot create a pipe");
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const QByteArray directory = QFile::encodeName(folder.path());
    posix_spawn_file_actions_addchdir_np(&actions, directory.constData());

    const QByteArray path = QFile::encodeName(placed);
    std::vector<QByteArray> environment = childEnvironment();
    std::vector<char *> envp;
    for (QByteArray &entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    char *argv[] = {const_cast<char *>(path.constData()), nullptr};

    // The repaint manager logs this once the whole window has been drawn
    // into its backing store, just before handing it to the window system.
    // The pattern is compiled before the clock starts.
    const QRegularExpression firstPaint(QStringLiteral("Flushing QRegion\\([^\\n]*\\) of %1\\(")
                                            .arg(QRegularExpression::escape(subject.windowClass)));
    firstPaint.optimize();

    pid_t pid = 0;
    const Clock::time_point spawned = Clock::now();
    const int spawnError
        = ::posix_spawn(&pid, path.constData(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawnError != 0) {
        ::close(pipeEnds[0]);
        *error = QStringLiteral("cannot start %1").arg(placed);
        return false;
    }

    QByteArray log;
    bool painted = false;
    while (!painted && Clock::now() - spawned < PaintTimeout) {
        if (!readSome(pipeEnds[0], &log, 100)) {
            if (::waitpid(pid, nullptr, WNOHANG) == pid) {
                pid = 0;
                break;
            }
            continue;
        }
        if (firstPaint.match(QString::fromLocal8Bit(log)).hasMatch()) {
            run->firstPaintMs
                = std::chrono::duration<double, std::milli>(Clock::now() - spawned).count();
            run->residentKiB = residentKiB(QString::number(pid));
            painted = true;
        }
    }

    if (pid != 0) {
        // Ends like a logout: the application closes its window and writes
        // its settings. The pipe is drained so the child never blocks on it.
        ::kill(pid, SIGTERM);
        const Clock::time_point asked = Clock::now();
        QByteArray rest;
        while (::waitpid(pid, nullptr, WNOHANG) == 0) {
            readSome(pipeEnds[0], &rest, 20);
            if (Clock::now() - asked > std::chrono::seconds(5)) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, nullptr, 0);
                break;
            }
        }
    }
    ::close(pipeEnds[0]);
    if (!painted) {
        const QStringList lines = QString::fromLocal8Bit(log).split(QLatin1Char('\n'));
        *error = QStringLiteral("the window was not painted within %1 s: %2")
                     .arg(PaintTimeout.count())
                     .arg(lines.mid(std::max<qsizetype>(0, lines.size() - 3)).join(u' '));
    }
    return painted;
}
} // namespace

std::vector<StartupFigures> measureStartups(const std::vector<StartupSubject> &subjects, int runs)
{
    std::vector<StartupFigures> figures(subjects.size());
    std::vector<bool> failed(subjects.size(), false);
    for (size_t i = 0; i < subjects.size(); ++i) {
        if (!QFileInfo(subjects[i].program).isExecutable()) {
            figures[i].error = QStringLiteral("%1 is not built")
                                   .arg(QDir::toNativeSeparators(subjects[i].program));
            failed[i] = true;
        }
    }
    for (int round = 0; round < runs; ++round) {
        for (size_t turn = 0; turn < subjects.size(); ++turn) {
            const size_t i = round % 2 == 0 ? turn : subjects.size() - 1 - turn;
            if (failed[i])
                continue;
            StartupRun run;
            if (runOnce(subjects[i], &run, &figures[i].error))
                figures[i].runs.push_back(run);
            else
                failed[i] = true;
        }
    }
    return figures;
}
