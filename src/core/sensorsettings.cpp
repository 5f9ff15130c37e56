// SPDX-License-Identifier: MIT
#include "core/sensorsettings.h"

#include "core/apperror.h"
#include "core/settingsfile.h"
#include "core/settingstext.h"

#include <cmath>

namespace {

const QString DirectionOffsetKey = QStringLiteral("DirectionOffset");
const QString SpeedFactorKey = QStringLiteral("SpeedFactor");

std::optional<double> directionOffset(const QString &text)
{
    const std::optional<double> degrees = plainDecimal(text);
    if (!degrees || std::fabs(*degrees) > MaxDirectionOffsetDegrees)
        return std::nullopt;
    return degrees;
}

std::optional<double> speedFactor(const QString &text)
{
    const std::optional<double> factor = plainDecimal(text);
    if (!factor || *factor < MinSpeedFactor || *factor > MaxSpeedFactor)
        return std::nullopt;
    return factor;
}

} // namespace

SectionSettings<WindCorrections> readSensorSection(const SettingsFile &file)
{
    WindCorrections corrections;
    SectionReader section(file, QLatin1String(SensorSectionName),
                          {{QStringLiteral("No reading is corrected until this is mended."),
                            [&corrections] {
                                corrections = WindCorrections();
                            }}},
                          0);
    section.read({
        settingKey(DirectionOffsetKey, corrections.directionOffsetDegrees, directionOffset,
                   QStringLiteral("expected a number of degrees from -180 to 180, written with "
                                  "a point.")),
        settingKey(SpeedFactorKey, corrections.speedFactor, speedFactor,
                   QStringLiteral("expected a factor from 0.5 to 2.0, written with a point.")),
    });
    return section.finish(corrections);
}

QString directionOffsetText(double degrees)
{
    // QString::number ignores the locale; -0 is written as 0.
    return QString::number(degrees == 0 ? 0.0 : degrees, 'g', QLocale::FloatingPointShortest);
}

void writeDirectionOffset(SettingsFile &file, double degrees)
{
    if (!(std::fabs(degrees) <= MaxDirectionOffsetDegrees))
        throw AppError(AppError::Kind::InvalidArgument,
                       QStringLiteral("A direction offset of %1 degrees is not from -180 to 180.")
                           .arg(degrees));
    file.writeKey(QLatin1String(SensorSectionName), DirectionOffsetKey,
                  directionOffsetText(degrees));
}
