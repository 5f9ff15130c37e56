#pragma once

#include <QString>

// What this process costs the machine, read from the kernel, and what the
// machine is.

// CPU time of every thread of the process, in seconds.
double processCpuSeconds();
// The same for another process, read from /proc; negative when unknown.
double processCpuSeconds(qint64 pid);

// Sets the peak resident size back to the present one, so that the next
// reading covers only what follows. False when the kernel does not allow it;
// the peak then counts from the process's start.
bool resetPeakResident();

// The peak resident size (VmHWM) and the present one (VmRSS) of a process,
// in KiB; 0 when unknown.
qint64 peakResidentKiB(const QString &pid = QStringLiteral("self"));
qint64 residentKiB(const QString &pid = QStringLiteral("self"));

// CPU model, number of cores and kernel, on one line.
QString machineDescription();
