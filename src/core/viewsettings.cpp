// SPDX-License-Identifier: MIT
#include "core/viewsettings.h"

#include "core/apperror.h"
#include "core/settingsfile.h"
#include "core/settingstext.h"

#include <QDir>
#include <QRegularExpression>

namespace {

const QString SectionView = QStringLiteral("VIEW");
const QString KeyNight = QStringLiteral("Night");
const QString KeyNightFrom = QStringLiteral("NightFrom");
const QString KeyNightTo = QStringLiteral("NightTo");

std::optional<QTime> timeOfDay(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^([01]?[0-9]|2[0-3]):([0-5][0-9])$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return QTime(match.capturedView(1).toInt(), match.capturedView(2).toInt());
}

} // namespace

ViewSettings readViewSettings(const SettingsFile &file)
{
    ViewSettings settings;
    const QString path = QDir::toNativeSeparators(file.path());
    const auto report = [&](const QString &key, const QString &value, const QString &problem) {
        settings.problems.append(QStringLiteral("The setting \"%1=%2\" in section [%3] of the "
                                                "settings file %4 %5.")
                                     .arg(key, value, SectionView, path, problem));
    };

    const QString night = file.readKey(SectionView, KeyNight);
    if (!night.isEmpty()) {
        if (const std::optional<bool> value = plainSwitch(night))
            settings.night = *value;
        else
            report(KeyNight, night, QStringLiteral("is not True or False. Night colours are off"));
    }

    const QString fromText = file.readKey(SectionView, KeyNightFrom);
    const QString toText = file.readKey(SectionView, KeyNightTo);
    if (fromText.isEmpty() && toText.isEmpty())
        return settings;
    const QString clockOff = QStringLiteral(". The clock does not switch night colours");
    const std::optional<QTime> from = timeOfDay(fromText);
    const std::optional<QTime> to = timeOfDay(toText);
    const auto checkTime = [&](const QString &key, const QString &text,
                               const std::optional<QTime> &time, const QString &otherKey) {
        if (text.isEmpty())
            report(key, text, QStringLiteral("is missing beside %1").arg(otherKey) + clockOff);
        else if (!time)
            report(key, text, QStringLiteral("is not a time of day such as 21:00") + clockOff);
    };
    checkTime(KeyNightFrom, fromText, from, KeyNightTo);
    checkTime(KeyNightTo, toText, to, KeyNightFrom);
    if (!from || !to)
        return settings;
    if (*from == *to) {
        report(KeyNightTo, toText,
               QStringLiteral("is the same time as %1, so night would never begin or end")
                       .arg(KeyNightFrom)
                   + clockOff);
        return settings;
    }
    settings.schedule = NightSchedule{*from, *to};
    return settings;
}

void writeNightSetting(SettingsFile &file, bool night)
{
    try {
        const QString text = file.readKey(SectionView, KeyNight);
        // A value that does not read as True or False was reported at start
        // and is replaced by the choice the user made since.
        if ((text.isEmpty() && !night) || plainSwitch(text) == night)
            return;
        file.writeKey(SectionView, KeyNight,
                      night ? QStringLiteral("True") : QStringLiteral("False"));
    } catch (const AppError &) { }
}
