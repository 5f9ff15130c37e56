// SPDX-License-Identifier: MIT
#include "portdevice.h"

#include "openfailure.h"
#include "serialtransport.h"

#include "core/serialdevice.h"
#include "core/settingsfile.h"

QString deviceForPort(const SettingsFile &settings, int port)
{
    const QString mapped = readPortsSection(settings).config.devices.value(port);
    return mapped.isEmpty() ? SerialTransport::defaultDeviceForPort(port) : mapped;
}

std::unique_ptr<SerialTransport> makeSerialTransport(const SettingsFile &settings, int port)
{
    return std::make_unique<SerialTransport>(
        port, [&settings](int number) { return deviceForPort(settings, number); },
        [&settings](int number, const QString &device, QSerialPort::SerialPortError error) {
            const OpenFailureCause cause = openFailureCause(device, error);
            return openFailureAdvice(openFailureFacts(cause, number, device, settings.path()));
        });
}
