#include "portdevice.h"

#include "openfailure.h"
#include "qtserialcontrol.h"

#include "core/settingsfile.h"

QString deviceForPort(const SettingsFile &settings, int port)
{
    const QString mapped
        = settings.readKey(QStringLiteral("PORTS"), QStringLiteral("COM%1").arg(port)).trimmed();
    return mapped.isEmpty() ? QtSerialControl::defaultDeviceForPort(port) : mapped;
}

std::unique_ptr<QtSerialControl> makeSerialControl(const SettingsFile &settings)
{
    return std::make_unique<QtSerialControl>(
        [&settings](int port) { return deviceForPort(settings, port); },
        [&settings](int port, const QString &device, QSerialPort::SerialPortError error) {
            const OpenFailureCause cause = openFailureCause(device, error);
            return openFailureAdvice(openFailureFacts(cause, port, device, settings.path()));
        });
}
