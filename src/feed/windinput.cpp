// SPDX-License-Identifier: MIT
#include "feed/windinput.h"

#include "feed/windfeed.h"

#include "core/apperror.h"
#include "core/nmeawindreader.h"
#include "core/sensorframereader.h"
#include "core/sensorsettings.h"
#include "core/serialdevice.h"
#include "core/settingsfile.h"
#include "core/windlogrow.h"
#include "platform/portdevice.h"
#include "platform/serialtransport.h"
#include "platform/tcplinetransport.h"
#include "platform/udplinetransport.h"
#include "platform/windlink.h"

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
        const SectionSettings<InputConfig> input = readInputSection(m_settings);
        m_config = input.config;
        problems << input.problems;
        const SectionSettings<PortsConfig> ports = readPortsSection(m_settings);
        m_reconnect = ports.config.reconnect;
        problems << ports.problems;
    } catch (const AppError &error) {
        m_config = InputConfig();
        problems << error.description()
                + QStringLiteral("\nUntil this is mended, listening reads the sensor on the serial "
                                 "port, as without the section [INPUT].");
    }
    try {
        const SectionSettings<WindCorrections> sensor = readSensorSection(m_settings);
        m_corrections = sensor.config;
        problems << sensor.problems;
    } catch (const AppError &error) {
        problems << error.description();
    }
    return problems;
}

void WindInput::configure(WindFeed &feed) const
{
    feed.setSourceDescriber([this](int portNumber) { return recordedSource(portNumber); });
    feed.setCorrections(m_corrections);
    if (m_config.protocol != InputProtocol::Sensor || !m_config.isSerial())
        feed.setWindChoice(m_config.wind, m_config.boatSpeed);
}

std::unique_ptr<WindLink> WindInput::makeLink(int portNumber) const
{
    if (m_config.tcpServer) {
        auto transport = std::make_unique<TcpLineTransport>(*m_config.tcpServer);
        // gpsd relays sentences only once asked, on every connection.
        if (m_config.protocol == InputProtocol::Gpsd)
            transport->setGreeting(GpsdWatchRequest);
        return std::make_unique<WindLink>(std::move(transport),
                                          std::make_unique<NmeaWindReader>(m_config.wind));
    }
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
        source.input = m_config.protocol == InputProtocol::Gpsd
            ? gpsdInputDescription(*m_config.tcpServer)
            : tcpInputDescription(*m_config.tcpServer);
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
