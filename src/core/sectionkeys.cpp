// SPDX-License-Identifier: MIT
#include "core/sectionkeys.h"

#include "core/apperror.h"
#include "core/settingsfile.h"

#include <QDir>

void checkSectionKeys(const SettingsFile &file, const QString &section, const QStringList &keys)
{
    const QString path = QDir::toNativeSeparators(file.path());
    const auto entries = file.readSection(section);
    for (const auto &[written, value] : entries) {
        const auto known
            = std::find_if(keys.begin(), keys.end(), [&written = written](const QString &key) {
                  return key.compare(written, Qt::CaseInsensitive) == 0;
              });
        // The value is named too: with it the user finds the very line,
        // and often sees which key was meant.
        if (known == keys.end())
            throw AppError(
                AppError::Kind::InvalidArgument,
                QStringLiteral("The key \"%1\" (set to \"%2\") in section [%3] of the "
                               "settings file %4 is not one of that section's keys, "
                               "which are %5.")
                    .arg(written, value, section, path, keys.join(QStringLiteral(", "))));
        // The first entry of a key is the one the readers use.
        const auto first
            = std::find_if(entries.begin(), entries.end(), [&known](const auto &entry) {
                  return entry.first.compare(*known, Qt::CaseInsensitive) == 0;
              });
        if (first->second.isEmpty())
            throw AppError(AppError::Kind::InvalidArgument,
                           QStringLiteral("The setting \"%1\" in section [%2] of the settings file "
                                          "%3 has an empty value (\"\"). Give it a value, or "
                                          "remove the line to leave the setting out.")
                               .arg(written, section, path));
    }
}

void raiseSectionError(const QString &section, const QString &description)
{
    throw AppError(AppError::Kind::InvalidArgument,
                   QStringLiteral("[%1] %2").arg(section, description));
}

void raiseBadSectionValue(const QString &section, const QString &key, const QString &value,
                          const QString &expected)
{
    // A settings value may be long; the message box needs only its start.
    constexpr int MaxShown = 60;
    const QString shown
        = value.size() > MaxShown ? value.left(MaxShown) + QStringLiteral("...") : value;
    raiseSectionError(section, QStringLiteral("%1=%2: %3").arg(key, shown, expected));
}
