// SPDX-License-Identifier: MIT
#include "core/windalarmsettings.h"

#include "core/settingsfile.h"
#include "core/settingstext.h"
#include "core/windspeed.h"

#include <QProcess>
#include <QRegularExpression>

#include <utility>

namespace {

const QString KeyUnit = QStringLiteral("Unit");
const QString KeyMeanAbove = QStringLiteral("MeanAbove");
const QString KeyGustAbove = QStringLiteral("GustAbove");
const QString KeyShiftDegrees = QStringLiteral("ShiftDegrees");
const QString KeyShiftMinutes = QStringLiteral("ShiftMinutes");
const QString KeyNoReadingSeconds = QStringLiteral("NoReadingSeconds");
const QString KeyCommand = QStringLiteral("Command");
const QString KeyExampleMode = QStringLiteral("ExampleMode");

// Above any wind ever measured, in any of the units: a larger threshold is a
// typing slip that would leave the alarm off for good.
constexpr double HighestSpeedThreshold = 1000;
constexpr int LongestShiftMinutes = 60;
constexpr int LongestNoReadingSeconds = 24 * 60 * 60;

// The parts of the section that a setting it cannot use turns off.
enum Part {
    SpeedAlarms,
    MeanAlarm,
    GustAlarm,
    ShiftAlarm,
    NoReadingAlarm,
    CommandRun,
    ExampleMode
};

// Plain decimal with a point, whatever the user's locale: the section is
// written by hand, and "25,5" would otherwise mean one thing here and
// another on the next machine.
std::optional<double> positiveNumber(const QString &text, double highest)
{
    static const QRegularExpression decimal(QStringLiteral("^[0-9]{1,9}(\\.[0-9]{1,9})?$"));
    if (!decimal.match(text).hasMatch())
        return std::nullopt;
    const double value = text.toDouble();
    if (value <= 0 || value > highest)
        return std::nullopt;
    return value;
}

double toMetresPerSecond(double value, SpeedUnit unit)
{
    switch (unit) {
    case SpeedUnit::KilometresPerHour:
        return value / KmhPerMetrePerSecond;
    case SpeedUnit::Knots:
        return value / KnotsPerKmh / KmhPerMetrePerSecond;
    case SpeedUnit::MetresPerSecond:
        break;
    }
    return value;
}

// Whether every double quote that opens an argument is closed, reading
// quotes as QProcess::splitCommand does: one opens or closes, three in a row
// are a quote character. splitCommand itself takes the rest of the line as
// the open argument, which would run something other than what was meant.
bool quotesClosed(QStringView command)
{
    bool inQuote = false;
    int quotes = 0;
    for (const QChar c : command) {
        if (c == u'"') {
            if (++quotes == 3)
                quotes = 0;
            continue;
        }
        if (quotes == 1)
            inQuote = !inQuote;
        quotes = 0;
    }
    if (quotes == 1)
        inQuote = !inQuote;
    return !inQuote;
}

} // namespace

WindAlarmSettings readWindAlarmSettings(const SettingsFile &file)
{
    WindAlarmConfig config;
    // Speeds as written, in the section's unit.
    std::optional<double> meanAbove;
    std::optional<double> gustAbove;
    SectionReader section(file, QString::fromLatin1(WindAlarmSectionName),
                          {
                              {QStringLiteral("The mean and gust alarms are off."),
                               [&] {
                                   meanAbove.reset();
                                   gustAbove.reset();
                               }},
                              {QStringLiteral("The mean speed alarm is off."),
                               [&] {
                                   meanAbove.reset();
                               }},
                              {QStringLiteral("The gust alarm is off."),
                               [&] {
                                   gustAbove.reset();
                               }},
                              {QStringLiteral("The shift alarm is off."),
                               [&] {
                                   config.shiftDegrees.reset();
                               }},
                              {QStringLiteral("The no-reading alarm is off."),
                               [&] {
                                   config.noReadingSeconds.reset();
                               }},
                              {QStringLiteral("No command is run."),
                               [&] {
                                   config.command.clear();
                               }},
                              {QStringLiteral("Example mode raises no alarm."),
                               [&] {
                                   config.exampleModeRaises = false;
                               }},
                          },
                          std::nullopt);

    const std::pair<const char *, SpeedUnit> units[] = {
        {"kn", SpeedUnit::Knots},
        {"ms", SpeedUnit::MetresPerSecond},
        {"kmh", SpeedUnit::KilometresPerHour},
    };
    const auto unit = [&units](const QString &text) -> std::optional<SpeedUnit> {
        for (const auto &[name, value] : units) {
            if (text.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                return value;
        }
        return std::nullopt;
    };
    const auto speed = [](const QString &text) {
        return positiveNumber(text, HighestSpeedThreshold);
    };
    const QString speedExpected
        = QStringLiteral("expected a speed above 0 and up to %1, written with a point.")
              .arg(HighestSpeedThreshold);
    const auto shiftDegrees = [](const QString &text) -> std::optional<double> {
        const std::optional<double> degrees = positiveNumber(text, 180);
        return degrees && *degrees < 180 ? degrees : std::nullopt;
    };
    const auto wholeNumber = [](int lowest, int highest) {
        return [lowest, highest](const QString &text) {
            return plainWholeNumber(text, lowest, highest);
        };
    };
    const auto command = [&config](const QString &, const QString &text) -> std::optional<QString> {
        if (!quotesClosed(text))
            return QStringLiteral("a double quote is not closed.");
        const QStringList words = QProcess::splitCommand(text);
        if (words.isEmpty() || words.first().isEmpty())
            return QStringLiteral("it names no program.");
        config.command = words;
        return std::nullopt;
    };

    section.read({
        settingKey(KeyUnit, config.unit, unit, QStringLiteral("expected kn, ms or kmh."),
                   SpeedAlarms),
        settingKey(KeyMeanAbove, meanAbove, speed, speedExpected, MeanAlarm),
        settingKey(KeyGustAbove, gustAbove, speed, speedExpected, GustAlarm),
        settingKey(KeyShiftDegrees, config.shiftDegrees, shiftDegrees,
                   QStringLiteral("expected a number of degrees above 0 and below 180, written "
                                  "with a point."),
                   ShiftAlarm),
        settingKey(KeyShiftMinutes, config.shiftMinutes, wholeNumber(1, LongestShiftMinutes),
                   QStringLiteral("expected a whole number of minutes from 1 to %1.")
                       .arg(LongestShiftMinutes),
                   ShiftAlarm),
        settingKey(KeyNoReadingSeconds, config.noReadingSeconds,
                   wholeNumber(1, LongestNoReadingSeconds),
                   QStringLiteral("expected a whole number of seconds from 1 to %1.")
                       .arg(LongestNoReadingSeconds),
                   NoReadingAlarm),
        SectionKey{KeyCommand, command, CommandRun},
        settingKey(KeyExampleMode, config.exampleModeRaises, plainSwitch,
                   QStringLiteral("expected True or False."), ExampleMode),
    });
    if (section.holds(KeyShiftMinutes) && !section.holds(KeyShiftDegrees))
        section.refuse(KeyShiftMinutes,
                       QStringLiteral("%1 is not set beside it.").arg(KeyShiftDegrees));

    WindAlarmSettings settings;
    settings.problems = section.finish();
    if (meanAbove)
        config.meanAboveMetresPerSecond = toMetresPerSecond(*meanAbove, config.unit);
    if (gustAbove)
        config.gustAboveMetresPerSecond = toMetresPerSecond(*gustAbove, config.unit);
    settings.config = config;
    return settings;
}
