// SPDX-License-Identifier: MIT
#include "feed/windinput.h"

#include "feed/windfeed.h"

#include "core/apperror.h"
#include "core/nmeawindreader.h"
#include "core/sensorframereader.h"
#include "core/serialdevice.h"
#include "core/settingsfile.h"
#include "core/windlogrow.h"
#include "platform/portdevice.h"
#include "platform/serialtransport.h"
#include "platform/tcplinetransport.h"
#include "platform/udplinetransport.h"
#include "platform/windlink.h"

#include <QDir>
#include <QStringList>

namespace {
const QString NmeaProtocolName = QStringLiteral("NMEA 0183");
} // namespace

WindInput::WindInput(const SettingsFile &settings)
    : m_settings(settings)
{ }

QStringList WindInput::readSettings()
{
    QStringList problems;
    try {
        m_config = readInputSection(m_settings);
    } catch (const AppError &error) {
        m_config = InputConfig();
        const QString path = QDir::toNativeSeparators(m_settings.path());
        QString problem = error.description();
        if (!problem.contains(path))
            problem += QStringLiteral("\nSettings file: %1.").arg(path);
        problems << problem
                + QStringLiteral("\nUntil this is mended, listening reads the sensor on the serial "
                                 "port, as without the section [INPUT].");
    }
    try {
        m_reconnect = readPortsReconnect(m_settings);
    } catch (const AppError &error) {
        problems << error.description();
    }
    if (problems.isEmpty())
        return {};
    return {problems.join(QStringLiteral("\n\n"))};
}

void WindInput::configure(WindFeed &feed) const
{
    feed.setSourceDescriber([this](int portNumber) { return recordedSource(portNumber); });
    if (m_config.protocol != InputProtocol::Sensor || !m_config.isSerial())
        feed.setWindChoice(m_config.wind, BoatSpeedSource::Water);
}

std::unique_ptr<WindLink> WindInput::makeLink(int portNumber) const
{
    if (m_config.tcpServer)
        return std::make_unique<WindLink>(std::make_unique<TcpLineTransport>(*m_config.tcpServer),
                                          std::make_unique<NmeaWindReader>(m_config.wind));
    if (m_config.udpPort)
        return std::make_unique<WindLink>(std::make_unique<UdpLineTransport>(*m_config.udpPort),
                                          std::make_unique<NmeaWindReader>(m_config.wind));

    std::unique_ptr<SerialTransport> serial = makeSerialTransport(m_settings, portNumber);
    serial->setReconnect(m_reconnect);
    serial->setBaudRate(m_config.baudRate());
    if (m_config.protocol == InputProtocol::Sensor)
        return std::make_unique<WindLink>(std::move(serial), std::make_unique<SensorFrameReader>());
    serial->setProtocolName(NmeaProtocolName);
    return std::make_unique<WindLink>(std::move(serial),
                                      std::make_unique<NmeaWindReader>(m_config.wind));
}

RecordedSource WindInput::recordedSource(int portNumber) const
{
    RecordedSource source;
    source.kind = RecordedSource::Kind::Sensor;
    source.portNumber = portNumber;
    if (m_config.tcpServer) {
        source.input = tcpInputDescription(*m_config.tcpServer);
        source.logName = tcpInputSource();
        source.state = QStringLiteral("connecting");
        return source;
    }
    if (m_config.udpPort) {
        source.input = udpInputDescription(*m_config.udpPort);
        source.logName = udpInputSource();
        source.state = QStringLiteral("receiving");
        return source;
    }
    try {
        source.device = deviceForPort(m_settings, portNumber);
    } catch (const AppError &) {
        // Listening reports a port it cannot open; the history shows the
        // port alone.
    }
    // The sensor is what the port has always read, and its name stays.
    if (m_config.protocol == InputProtocol::Nmea0183)
        source.input = m_config.description(serialPortSource(portNumber));
    source.logName = serialPortSource(portNumber);
    source.state = QStringLiteral("connected");
    return source;
}
