// SPDX-License-Identifier: MIT
#include "core/datalogsettings.h"

#include "core/settingsfile.h"
#include "core/settingstext.h"

#include <QDir>
#include <QFileInfo>

namespace {
// Some 270 years: any larger number is a typing slip, not a wish.
constexpr int LongestKeepDays = 100000;
} // namespace

SectionSettings<DataLogConfig> readDataLogSettings(const SettingsFile &file)
{
    DataLogConfig config;
    SectionReader section(file, QStringLiteral("LOG"),
                          {{QStringLiteral("The wind log is off."),
                            [&config] {
                                config = DataLogConfig();
                            }}},
                          0);
    const QDir settingsFolder(QFileInfo(file.path()).absolutePath());
    const auto folder = [&settingsFolder](const QString &text) -> std::optional<QString> {
        return QDir::cleanPath(settingsFolder.absoluteFilePath(text));
    };
    // Plain digits only: a sign, a point or a locale's digits would leave
    // the reader guessing how many days of data may be deleted.
    const auto days = [](const QString &text) {
        return plainWholeNumber(text, 0, LongestKeepDays);
    };
    section.read({
        settingKey(QStringLiteral("Folder"), config.folder, folder, QString()),
        settingKey(
            QStringLiteral("KeepDays"), config.keepDays, days,
            QStringLiteral("expected a whole number of days from 0 to %1.").arg(LongestKeepDays)),
    });
    return section.finish(config);
}
