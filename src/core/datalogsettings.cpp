// SPDX-License-Identifier: MIT
#include "core/datalogsettings.h"

#include "core/apperror.h"
#include "core/sectionkeys.h"
#include "core/settingsfile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
const QString SectionLog = QStringLiteral("LOG");
const QString KeyFolder = QStringLiteral("Folder");
const QString KeyKeepDays = QStringLiteral("KeepDays");
// Some 270 years: any larger number is a typing slip, not a wish.
constexpr int LongestKeepDays = 100000;
} // namespace

std::optional<DataLogSettings> readDataLogSettings(const SettingsFile &file)
{
    try {
        checkSectionKeys(file, SectionLog, {KeyFolder, KeyKeepDays});
    } catch (const AppError &error) {
        if (error.kind() != AppError::Kind::InvalidArgument)
            throw;
        throw AppError(error.kind(), error.description() + QStringLiteral(" The wind log is off."));
    }
    const QString folder = file.readKey(SectionLog, KeyFolder);
    if (folder.isEmpty())
        return std::nullopt;

    DataLogSettings settings;
    settings.folder
        = QDir::cleanPath(QDir(QFileInfo(file.path()).absolutePath()).absoluteFilePath(folder));

    const QString keepDays = file.readKey(SectionLog, KeyKeepDays);
    if (!keepDays.isEmpty()) {
        // Plain digits only: a sign, a point or a locale's digits would leave
        // the reader guessing how many days of data may be deleted.
        static const QRegularExpression digits(QStringLiteral("^[0-9]{1,6}$"));
        const int days = digits.match(keepDays).hasMatch() ? keepDays.toInt() : -1;
        if (days < 0 || days > LongestKeepDays)
            throw AppError(
                AppError::Kind::InvalidArgument,
                QStringLiteral("The setting \"%1\" in section [%2] of the settings "
                               "file %3: \"%4\" is not a whole number of days from 0 "
                               "to %5. The wind log is off.")
                    .arg(KeyKeepDays, SectionLog, QDir::toNativeSeparators(file.path()), keepDays)
                    .arg(LongestKeepDays));
        settings.keepDays = days;
    }
    return settings;
}
