#include "portdevice.h"

#include "qtserialcontrol.h"

#include "core/settingsfile.h"

QString deviceForPort(const SettingsFile &settings, int port)
{
    const QString mapped
        = settings.readKey(QStringLiteral("PORTS"), QStringLiteral("COM%1").arg(port)).trimmed();
    return mapped.isEmpty() ? QtSerialControl::defaultDeviceForPort(port) : mapped;
}
