// SPDX-License-Identifier: MIT
#include "historymemory.h"

#include "app/historywindow.h"
#include "feed/windrecorder.h"

#include <QCoreApplication>

#include <malloc.h>

namespace {
double heapInUseMb()
{
    return double(mallinfo2().uordblks) / (1024 * 1024);
}
} // namespace

HistoryMemory measureHistoryMemory()
{
    HistoryMemory memory;
    const double before = heapInUseMb();
    qint64 clock = 0;
    WindRecorder recorder([&clock] { return clock; }, [] { return qint64(0); });
    for (clock = 0; clock < 3600 * 1000; clock += 25, ++memory.samples)
        recorder.recordSample({clock, double(clock / 1000 % 360), 5.0 + double(clock / 7000 % 9)},
                              WindSource::Sensor, 1);
    memory.recorderMb = heapInUseMb() - before;
    {
        HistoryWindow window(recorder);
        window.setSpanMinutes(60);
        window.show();
        window.refresh();
        QCoreApplication::processEvents();
        memory.withWindowMb = heapInUseMb() - before;
    }
    return memory;
}
