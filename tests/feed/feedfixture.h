// SPDX-License-Identifier: MIT
#pragma once

// A wind feed with no window: a temporary settings folder and a fake serial
// line, or the real serial port on a given device. The fixture is the feed's
// friend, for what a test must set up or read that no listener sees.

#include "../settingsfiles.h"

#include "core/nmeawindreader.h"
#include "core/sensorframereader.h"
#include "core/settingsfile.h"
#include "feed/windfeed.h"
#include "platform/fakeline.h"
#include "platform/serialtransport.h"
#include "platform/windlink.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

class FeedFixture
{
public:
    // What the line carries: the sensor's frames, or NMEA 0183 read for the
    // true wind, chosen as a boat's input chooses it.
    enum class Protocol { Sensor, NmeaTrueWind };

    // settingsFile, when given, is written first; with a device the real
    // serial port opens it whatever the port number.
    explicit FeedFixture(const QByteArray &settingsFile = {}, const QString &device = {},
                         Protocol protocol = Protocol::Sensor)
        : settings(folder.path(), folder.path() + QStringLiteral("/config"))
    {
        settings.selectFile(QStringLiteral("Application.ini"));
        if (!settingsFile.isNull()) {
            QFile file(folder.filePath(QStringLiteral("Application.ini")));
            file.open(QIODevice::WriteOnly);
            file.write(settingsFile);
        }
        if (device.isEmpty())
            line = std::make_unique<FakeLine>();
        feed = std::make_unique<WindFeed>([this, device, protocol](int port) {
            std::unique_ptr<LineTransport> transport;
            if (line)
                transport = line->makeTransport(port);
            else
                transport
                    = std::make_unique<SerialTransport>(port, [device](int) { return device; });
            std::unique_ptr<WindLineReader> reader;
            if (protocol == Protocol::NmeaTrueWind)
                reader = std::make_unique<NmeaWindReader>(NmeaWind::True);
            else
                reader = std::make_unique<SensorFrameReader>();
            return std::make_unique<WindLink>(std::move(transport), std::move(reader));
        });
        if (protocol == Protocol::NmeaTrueWind)
            feed->setWindChoice(NmeaWind::True, BoatSpeedSource::Water);
    }

    // Starts the feed on port 1, idle, with no wind yet.
    void start() const
    {
        feed->restore(0, 0, 1, false);
        feed->start();
    }

    // Starts listening, then runs the steps one after another, spacingMs
    // apart, with the event loop running between them, and lets it run
    // spacingMs more after the last.
    void listenWhile(const QList<std::function<void()>> &steps, int spacingMs = 20) const
    {
        feed->toggleListening();
        for (const auto &step : steps) {
            QTest::qWait(spacingMs);
            step();
        }
        QTest::qWait(spacingMs);
    }

    void setStaleAfterMs(int ms) const { feed->m_staleAfterMs = ms; }
    // One tick of example mode's timer.
    void exampleTick() const { feed->exampleTick(); }

    QTemporaryDir folder;
    SettingsFile settings;
    std::unique_ptr<FakeLine> line; // null on a real device
    std::unique_ptr<WindFeed> feed;
};
