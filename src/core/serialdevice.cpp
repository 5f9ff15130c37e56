// SPDX-License-Identifier: MIT
#include "core/serialdevice.h"

#include "core/settingsfile.h"
#include "core/settingstext.h"

#include <QDir>

namespace {
QString knownOrDash(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("-") : text;
}
} // namespace

QString portsLine(int port, const QString &device)
{
    return QStringLiteral("COM%1=%2").arg(port).arg(device);
}

QString portListing(const QList<SerialDevice> &devices, const QString &settingsPath)
{
    QString text;
    const QString settingsLine
        = QStringLiteral("Settings file: %1\n").arg(QDir::toNativeSeparators(settingsPath));
    if (devices.isEmpty()) {
        text += QStringLiteral("No serial device was found on this computer. Connect the sensor "
                               "or its USB serial\nadapter, then run wind-condition --list-ports "
                               "again.\n\n");
        return text + settingsLine;
    }

    text += QStringLiteral("Serial devices:\n");
    for (const SerialDevice &device : devices) {
        text += QStringLiteral("\n  %1\n").arg(device.path);
        text += QStringLiteral("    by-id name:     %1\n").arg(knownOrDash(device.byIdPath));
        text += QStringLiteral("    description:    %1\n").arg(knownOrDash(device.description));
        text += QStringLiteral("    manufacturer:   %1\n").arg(knownOrDash(device.manufacturer));
        text += QStringLiteral("    serial number:  %1\n").arg(knownOrDash(device.serialNumber));
    }

    const int mapped = std::min<int>(devices.size(), HighestPortNumber);
    text += u'\n' + settingsLine;
    text += mapped == 1 ? QStringLiteral("These lines make the device port 1 of the port dialog")
                        : QStringLiteral("These lines make the devices ports 1 to %1 of the port "
                                         "dialog")
                              .arg(mapped);
    text += QStringLiteral(";\nput them in the settings file, in place of any [PORTS] section "
                           "it has. With Reconnect=True,\nlistening goes on by itself when an "
                           "unplugged adapter comes back under its by-id name:\n\n[PORTS]\n");
    for (int i = 0; i < mapped; ++i)
        text += portsLine(i + 1, devices.at(i).stablePath()) + u'\n';
    text += QStringLiteral("Reconnect=True\n");
    if (devices.size() > mapped)
        text += QStringLiteral("\nThe port dialog offers ports 1 to %1 only: map any other device "
                               "in place of one of these.\n")
                    .arg(HighestPortNumber);
    return text;
}

SectionSettings<PortsConfig> readPortsSection(const SettingsFile &settings)
{
    PortsConfig config;
    enum Part { Reconnect, Devices };
    SectionReader section(
        settings, QStringLiteral("PORTS"),
        {{QStringLiteral("A device lost while listening ends listening until "
                         "this is mended."),
          [&config] {
              config.reconnect = false;
          }},
         {QStringLiteral("The port opens the device the system names after it."), {}}},
        std::nullopt);
    // COM followed by a port number, written as the port dialog writes it:
    // COM03 would be a port that no line of the dialog names.
    const auto portOf = [](const QString &key) -> std::optional<int> {
        if (!key.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
            return std::nullopt;
        const QStringView digits = QStringView(key).mid(3);
        const std::optional<int> port = plainWholeNumber(digits, 1, 32767);
        if (!port || digits != QString::number(*port))
            return std::nullopt;
        return port;
    };
    SectionKey device{
        QStringLiteral("COM1, COM2, ..."),
        [&config, portOf](const QString &key, const QString &value) -> std::optional<QString> {
            config.devices.insert(*portOf(key), value);
            return std::nullopt;
        },
        Devices,
        [portOf](const QString &key) {
            return portOf(key).has_value();
        }};
    section.read({
        device,
        settingKey(QStringLiteral("Reconnect"), config.reconnect, plainSwitch,
                   QStringLiteral("expected True or False."), Reconnect),
    });
    return section.finish(config);
}
