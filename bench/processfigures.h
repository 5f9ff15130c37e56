// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <chrono>
#include <vector>

// What this process costs the machine, read from the kernel, and what the
// machine is.

// CPU time of every thread of the process, in seconds.
double processCpuSeconds();
// The same for another process; negative when unknown.
double processCpuSeconds(qint64 pid);
// How many times the threads of this process that run now have woken from
// a wait (their voluntary context switches): each is a poll, a futex or a
// sleep that ended. A thread that started and ended between two readings,
// as the line feeder's does, is in neither.
qint64 processWakeUps();

// Sets the peak resident size back to the present one, so that the next
// reading covers only what follows. False when the kernel does not allow it;
// the peak then counts from the process's start.
bool resetPeakResident();

// The peak resident size (VmHWM) and the present one (VmRSS) of a process,
// in KiB; 0 when unknown.
qint64 peakResidentKiB(const QString &pid = QStringLiteral("self"));
qint64 residentKiB(const QString &pid = QStringLiteral("self"));

// CPU time of the calling thread, in seconds.
double callingThreadCpuSeconds();

// Under valgrind --tool=callgrind --collect-atstart=no, the instructions of
// a session's measured span alone are counted: on at its start, off at its
// end. Wall-clock shares of a tenth of a percent move with the machine;
// instruction counts do not. Does nothing when the bench runs on its own.
void countInstructions(bool on);

// The value at the share (0 to 1) of the values in rising order, 0 for none.
double percentileOf(std::vector<double> values, double share);

// Runs the calling thread's event loop for the span.
void runEventsFor(std::chrono::milliseconds span);

// CPU model, number of cores and kernel, on one line.
QString machineDescription();
