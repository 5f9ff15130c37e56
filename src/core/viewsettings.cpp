// SPDX-License-Identifier: MIT
#include "core/viewsettings.h"

#include "core/apperror.h"
#include "core/settingsfile.h"
#include "core/settingstext.h"

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
    ViewConfig config;
    enum Part { NightColours, Clock };
    SectionReader section(file, SectionView,
                          {{QStringLiteral("Night colours are off."),
                            [&config] {
                                config.night = false;
                            }},
                           {QStringLiteral("The clock does not switch night colours."),
                            [&config] {
                                config.schedule.reset();
                            }}},
                          std::nullopt);
    std::optional<QTime> from;
    std::optional<QTime> to;
    const QString timeExpected = QStringLiteral("expected a time of day such as 21:00.");
    section.read({
        settingKey(KeyNight, config.night, plainSwitch, QStringLiteral("expected True or False."),
                   NightColours),
        settingKey(KeyNightFrom, from, timeOfDay, timeExpected, Clock),
        settingKey(KeyNightTo, to, timeOfDay, timeExpected, Clock),
    });

    // Both times or neither: one alone is told on the key that is there.
    if (section.holds(KeyNightFrom) != section.holds(KeyNightTo)) {
        const bool hasFrom = section.holds(KeyNightFrom);
        section.refuse(hasFrom ? KeyNightFrom : KeyNightTo,
                       QStringLiteral("%1 is not set beside it, and the clock needs both.")
                           .arg(hasFrom ? KeyNightTo : KeyNightFrom));
    } else if (from && to && *from == *to) {
        section.refuse(KeyNightTo,
                       QStringLiteral("it is the same time as %1, so night would never begin or "
                                      "end.")
                           .arg(KeyNightFrom));
    }
    if (from && to)
        config.schedule = NightSchedule{*from, *to};
    return section.finish(config);
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
