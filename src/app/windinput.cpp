// SPDX-License-Identifier: MIT
#include "windinput.h"

#include "core/apperror.h"
#include "core/sensorframereader.h"
#include "core/serialdevice.h"
#include "platform/portdevice.h"
#include "platform/serialtransport.h"
#include "platform/windlink.h"

WindInput::WindInput(const SettingsFile &settings)
    : m_settings(settings)
{ }

QString WindInput::readSettings()
{
    try {
        m_reconnect = readPortsReconnect(m_settings);
    } catch (const AppError &error) {
        return error.description();
    }
    return {};
}

std::unique_ptr<WindLink> WindInput::makeLink(int portNumber) const
{
    std::unique_ptr<SerialTransport> serial = makeSerialTransport(m_settings, portNumber);
    serial->setReconnect(m_reconnect);
    return std::make_unique<WindLink>(std::move(serial), std::make_unique<SensorFrameReader>());
}
