// SPDX-License-Identifier: MIT
// nmea-bench: the cost of sharing the wind. The real window listens to a
// pseudo-terminal fed at 40 frames a second, once with sharing off and once
// with a TCP server that 32 local programs read (and once more with one of
// them never reading). Prints one table: CPU of the application per core,
// sentences each reader got, the latency from the write that completed a
// frame to the arrival of its MWV at a reader, and the sockets opened.

#include "../linefeeder.h"
#include "../nmeaload.h"
#include "../processfigures.h"

#include "app/errorguard.h"
#include "app/messages.h"
#include "app/windwindow.h"
#include "core/sensorframereader.h"
#include "core/settingsfile.h"
#include "feed/windfeed.h"
#include "feed/windsharing.h"
#include "platform/nmeaserver.h"
#include "platform/serialtransport.h"
#include "platform/windlink.h"
#include "widgets/windowfont.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStyleFactory>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto Duration = std::chrono::seconds(20);
constexpr double FramesPerSecond = 40;

int openSockets()
{
    int sockets = 0;
    for (const QFileInfo &fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System))
        sockets += fd.symLinkTarget().contains(QLatin1String("socket:"));
    return sockets;
}

quint16 freeTcpPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

struct Row
{
    QString name;
    double cpuPercent = 0;
    int written = 0;
    int fewestReceived = 0; // the fewest MWV sentences any reader got
    double p50 = 0, p99 = 0, max = 0;
    int socketsOpened = 0;
    int sleepersDropped = 0;
    QStringList problems;
};

Row measure(const QString &name, int readers, int sleepers)
{
    Row row;
    row.name = name;
    const bool sharing = readers + sleepers > 0;
    LineFeeder feeder;
    QTemporaryDir folder;
    const quint16 port = freeTcpPort();
    {
        QFile file(folder.filePath(QStringLiteral("Application.ini")));
        file.open(QIODevice::WriteOnly);
        file.write("[PARAMETRES]\r\nSerialPort1-COM=1\r\nDummyMode=False\r\n"
                   "[VALUES]\r\nAngle=0\r\nWind=0\r\n");
        if (sharing)
            file.write(
                QStringLiteral("[NMEA]\r\nTcpPort=%1\r\nBind=127.0.0.1\r\n").arg(port).toLatin1());
    }
    SettingsFile settings(folder.path(), folder.path());
    const QString device = feeder.slavePath();
    setMessagePresenter([&row](QWidget *, const QString &, const QString &text, MessageIcon) {
        row.problems << text;
    });
    WindFeed feed([device](int port) {
        return std::make_unique<WindLink>(
            std::make_unique<SerialTransport>(port, [device](int) { return device; }),
            std::make_unique<SensorFrameReader>());
    });
    WindWindow window(settings, feed);
    window.readSettings();
    window.start();
    window.show();
    runEventsFor(std::chrono::milliseconds(500));

    const int socketsBefore = openSockets();
    WindSharing shared(settings, feed);
    row.problems << shared.start();
    row.socketsOpened = openSockets() - socketsBefore;

    NmeaLoad load;
    if (sharing) {
        load.start(port, readers, sleepers);
        while (shared.server()->clientCount() < readers + sleepers)
            runEventsFor(std::chrono::milliseconds(10));
    }

    double cpuBefore = 0;
    QTimer::singleShot(0, &window, [&] {
        cpuBefore = processCpuSeconds();
        feeder.start({LineFeeder::Pacing::WholeFrames, FramesPerSecond, Duration});
        QTimer::singleShot(Duration + std::chrono::milliseconds(300), &window, [&] {
            feeder.stop();
            row.cpuPercent = 100 * (processCpuSeconds() - cpuBefore - feeder.threadCpuSeconds())
                / std::chrono::duration<double>(Duration).count();
            feed.toggleListening();
        });
    });
    feed.toggleListening();
    runEventsFor(Duration + std::chrono::milliseconds(600));
    load.stop();
    // The reading thread's CPU is known only once it has stopped; what it
    // spent connecting counts against sharing, which errs on the safe side.
    if (sharing)
        row.cpuPercent
            -= 100 * load.threadCpuSeconds() / std::chrono::duration<double>(Duration).count();

    row.written = feeder.framesWritten();
    std::vector<double> latencies;
    row.fewestReceived = sharing ? row.written : 0;
    for (int reader = 0; reader < load.readerCount(); ++reader) {
        int mwv = 0;
        for (const NmeaLoad::Line &line : load.linesOf(reader)) {
            if (!line.text.startsWith("$WIMWV,") || line.text.contains(",V*"))
                continue;
            ++mwv;
            if (mwv <= row.written)
                latencies.push_back(
                    std::chrono::duration<double, std::milli>(line.arrived - feeder.completed(mwv))
                        .count());
        }
        row.fewestReceived = std::min(row.fewestReceived, mwv);
    }
    std::sort(latencies.begin(), latencies.end());
    row.p50 = percentileOf(latencies, 0.50);
    row.p99 = percentileOf(latencies, 0.99);
    row.max = latencies.empty() ? 0 : latencies.back();
    row.sleepersDropped = load.sleepersClosed();
    setMessagePresenter({});
    return row;
}

} // namespace

int main(int argc, char *argv[])
{
    WindApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    substituteWindowFonts();

    std::printf("%s; Qt %s, platform \"%s\"\n\n", qPrintable(machineDescription()), qVersion(),
                qPrintable(QGuiApplication::platformName()));
    std::printf("| sharing | CPU %% of a core | frames written | MWV at the slowest reader | "
                "p50 ms | p99 ms | max ms | sockets opened | non-readers dropped |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    const Row rows[] = {
        measure(QStringLiteral("off"), 0, 0),
        measure(QStringLiteral("TCP, 32 readers"), 32, 0),
        measure(QStringLiteral("TCP, 31 readers and 1 that never reads"), 31, 1),
    };
    for (const Row &row : rows) {
        const bool sharing = row.name != QLatin1String("off");
        std::printf("| %s | %.2f | %d | %s | %s | %s | %s | %d | %s |\n", qPrintable(row.name),
                    row.cpuPercent, row.written,
                    sharing ? qPrintable(QString::number(row.fewestReceived)) : "-",
                    sharing ? qPrintable(QString::number(row.p50, 'f', 2)) : "-",
                    sharing ? qPrintable(QString::number(row.p99, 'f', 2)) : "-",
                    sharing ? qPrintable(QString::number(row.max, 'f', 2)) : "-", row.socketsOpened,
                    sharing ? qPrintable(QString::number(row.sleepersDropped)) : "-");
        for (const QString &problem : row.problems)
            std::printf("  problem: %s\n", qPrintable(problem));
    }
    return 0;
}
