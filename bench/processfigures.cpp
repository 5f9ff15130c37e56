// SPDX-License-Identifier: MIT
#include "processfigures.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <sys/utsname.h>
#include <unistd.h>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define WIND_BENCH_CALLGRIND 1
#endif

namespace {
qint64 statusField(const QString &pid, const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    // /proc files report a size of 0, so they are read line by line.
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}
} // namespace

double processCpuSeconds()
{
    timespec cpu{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    return static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) / 1e9;
}

double processCpuSeconds(qint64 pid)
{
    // The process's own CPU clock counts in nanoseconds; /proc's figures
    // count in ticks of 10 ms, too coarse for a server that works a few
    // milliseconds a second.
    clockid_t clock{};
    timespec cpu{};
    if (::clock_getcpuclockid(pid_t(pid), &clock) != 0 || ::clock_gettime(clock, &cpu) != 0)
        return -1;
    return static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) / 1e9;
}

qint64 processWakeUps()
{
    qint64 wakeUps = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        wakeUps += statusField(QStringLiteral("self/task/") + task, "voluntary_ctxt_switches");
    return wakeUps;
}

bool resetPeakResident()
{
    // "5" asks the kernel to reset the peak resident size (Linux 4.0).
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

qint64 peakResidentKiB(const QString &pid)
{
    return statusField(pid, "VmHWM");
}

qint64 residentKiB(const QString &pid)
{
    return statusField(pid, "VmRSS");
}

QString machineDescription()
{
    QString model = QStringLiteral("unknown CPU");
    QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
    if (cpuinfo.open(QIODevice::ReadOnly)) {
        for (QByteArray line = cpuinfo.readLine(); !line.isEmpty(); line = cpuinfo.readLine()) {
            if (line.startsWith("model name")) {
                model
                    = QString::fromLatin1(line.mid(line.indexOf(':') + 1).trimmed())
                          .replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
                break;
            }
        }
    }
    utsname system{};
    ::uname(&system);
    return QStringLiteral("%1, %2 cores online, %3 %4 %5")
        .arg(model)
        .arg(::sysconf(_SC_NPROCESSORS_ONLN))
        .arg(QString::fromLatin1(system.sysname), QString::fromLatin1(system.release),
             QString::fromLatin1(system.machine));
}

double callingThreadCpuSeconds()
{
    timespec cpu{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    return double(cpu.tv_sec) + double(cpu.tv_nsec) / 1e9;
}

void countInstructions(bool on)
{
#ifdef WIND_BENCH_CALLGRIND
    static bool counting = false;
    if (on == counting)
        return;
    counting = on;
    CALLGRIND_TOGGLE_COLLECT;
#else
    Q_UNUSED(on);
#endif
}

double percentileOf(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(share * double(values.size())))];
}

void runEventsFor(std::chrono::milliseconds span)
{
    QEventLoop loop;
    QTimer::singleShot(span, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}
