// SPDX-License-Identifier: MIT
#include "core/windsettings.h"

#include "core/apperror.h"
#include "core/settingsfile.h"
#include "core/settingstext.h"

#include <QDir>

namespace {

const QString SectionParameters = QStringLiteral("PARAMETRES");
const QString SectionValues = QStringLiteral("VALUES");
const QString KeyPort = QStringLiteral("SerialPort1-COM");
const QString KeyExampleMode = QStringLiteral("DummyMode");
const QString KeyDirection = QStringLiteral("Angle");
const QString KeySpeed = QStringLiteral("Wind");

// Reads one setting and converts it; a failure names the file, the section,
// the key and the kind of error, so the user knows what to mend.
template<class Convert>
auto readSetting(const SettingsFile &file, const QString &section, const QString &key,
                 const QString &typeName, Convert convert)
{
    const QString text = file.readKey(section, key);
    try {
        return convert(text);
    } catch (const AppError &error) {
        const QString problem = text.isEmpty()
            ? QStringLiteral("is missing or empty")
            : QStringLiteral("\"%1\" is not a valid %2").arg(text, typeName);
        throw AppError(error.kind(),
                       QStringLiteral("%1: the setting \"%2\" in section [%3] of the settings "
                                      "file %4 %5.")
                           .arg(AppError::kindName(error.kind()), key, section,
                                QDir::toNativeSeparators(file.path()), problem));
    }
}

} // namespace

void selectWindSettingsFile(SettingsFile &file)
{
    file.selectFile(QStringLiteral("Application.ini"));
}

void ensureWindSettingsFile(SettingsFile &file)
{
    selectWindSettingsFile(file);
    file.ensureSection(SectionParameters);
    file.seedKey(SectionParameters, KeyPort, QStringLiteral("1"));
    file.seedKey(SectionParameters, KeyExampleMode, QStringLiteral("True"));
    file.ensureSection(SectionValues);
    file.seedKey(SectionValues, KeyDirection, QStringLiteral("1"));
    file.seedKey(SectionValues, KeySpeed, QStringLiteral("1"));
}

WindSettings readWindSettings(const SettingsFile &file,
                              const std::function<void(qint16)> &acceptPort)
{
    const auto toBoolean = [](const QString &text) {
        return settingToBoolean(text);
    };
    const auto toDouble = [](const QString &text) {
        return settingToDouble(text);
    };
    // A port number that the serial control refuses is reported like any
    // other bad setting.
    const auto toPort = [&acceptPort](const QString &text) {
        const qint16 port = settingToInt16(text);
        acceptPort(port);
        return port;
    };
    WindSettings settings;
    settings.exampleModeOn = readSetting(file, SectionParameters, KeyExampleMode,
                                         QStringLiteral("boolean"), toBoolean);
    settings.directionDegrees
        = readSetting(file, SectionValues, KeyDirection, QStringLiteral("number"), toDouble);
    settings.speedMetresPerSecond
        = readSetting(file, SectionValues, KeySpeed, QStringLiteral("number"), toDouble);
    settings.portNumber
        = readSetting(file, SectionParameters, KeyPort, QStringLiteral("port number"), toPort);
    return settings;
}

void writeWindSettings(SettingsFile &file, const WindSettings &settings)
{
    // Each value is turned into text inside the guard too: a direction that
    // is not finite has no text, and must not keep the others from being
    // written.
    const auto write = [&file](const QString &section, const QString &key, auto valueText) {
        try {
            file.writeKey(section, key, valueText());
        } catch (const AppError &) { }
    };
    write(SectionParameters, KeyPort, [&] { return QString::number(settings.portNumber); });
    write(SectionParameters, KeyExampleMode, [&] {
        return settings.exampleModeOn ? QStringLiteral("True") : QStringLiteral("False");
    });
    write(SectionValues, KeyDirection,
          [&] { return generalNumberText(settings.directionDegrees); });
    write(SectionValues, KeySpeed,
          [&] { return generalNumberText(settings.speedMetresPerSecond); });
}
