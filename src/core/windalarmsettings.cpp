// SPDX-License-Identifier: MIT
#include "core/windalarmsettings.h"

#include "core/apperror.h"
#include "core/sectionkeys.h"
#include "core/settingsfile.h"
#include "core/settingstext.h"
#include "core/windspeed.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

const QString KeyUnit = QStringLiteral("Unit");
const QString KeyMeanAbove = QStringLiteral("MeanAbove");
const QString KeyGustAbove = QStringLiteral("GustAbove");
const QString KeyShiftDegrees = QStringLiteral("ShiftDegrees");
const QString KeyShiftMinutes = QStringLiteral("ShiftMinutes");
const QString KeyNoReadingSeconds = QStringLiteral("NoReadingSeconds");
const QString KeyCommand = QStringLiteral("Command");
const QString KeyExampleMode = QStringLiteral("ExampleMode");

// Every key the section may hold; anything else is a typing slip that would
// otherwise leave an alarm silently off.
const QStringList SectionKeys
    = {KeyUnit,         KeyMeanAbove,        KeyGustAbove, KeyShiftDegrees,
       KeyShiftMinutes, KeyNoReadingSeconds, KeyCommand,   KeyExampleMode};

// Above any wind ever measured, in any of the units: a larger threshold is a
// typing slip that would leave the alarm off for good.
constexpr double HighestSpeedThreshold = 1000;
constexpr int LongestShiftMinutes = 60;
constexpr int LongestNoReadingSeconds = 24 * 60 * 60;

class SectionReader
{
public:
    SectionReader(const SettingsFile &file, WindAlarmSettings &settings)
        : m_path(QDir::toNativeSeparators(file.path()))
        , m_settings(settings)
    {
        std::optional<QString> keyProblem;
        try {
            checkSectionKeys(file, section(), SectionKeys);
        } catch (const AppError &error) {
            if (error.kind() != AppError::Kind::InvalidArgument)
                throw;
            keyProblem = error.description();
        }
        // The shared check names the first entry it cannot use. A key the
        // section does not have turns no alarm off, so its message stands
        // alone and the other alarms are read; an empty value is left to
        // text() below, which says which alarm it turns off.
        bool firstProblemSeen = false;
        const auto entries = file.readSection(section());
        for (const auto &[key, value] : entries) {
            const auto known = std::find_if(SectionKeys.begin(), SectionKeys.end(),
                                            [&key = key](const QString &name) {
                                                return name.compare(key, Qt::CaseInsensitive) == 0;
                                            });
            if (known == SectionKeys.end()) {
                if (keyProblem && !std::exchange(firstProblemSeen, true))
                    m_settings.problems.append(*keyProblem);
                continue;
            }
            // The first entry counts, as for every other section.
            if (m_values.contains(*known))
                continue;
            m_values.insert(*known, value);
            if (value.isEmpty())
                firstProblemSeen = true;
        }
    }

    static QString section() { return QString::fromLatin1(WindAlarmSectionName); }

    bool has(const QString &key) const { return m_values.contains(key); }

    // The key's text, or nothing when the key is missing or unusable
    // because empty (which is reported, naming what is off).
    std::optional<QString> text(const QString &key, const QString &whatIsOff)
    {
        const auto value = m_values.constFind(key);
        if (value == m_values.cend())
            return std::nullopt;
        if (value->isEmpty()) {
            report(key, *value, QStringLiteral("is empty"), whatIsOff);
            return std::nullopt;
        }
        return *value;
    }

    void report(const QString &key, const QString &value, const QString &problem,
                const QString &whatIsOff)
    {
        QString message = QStringLiteral("The setting \"%1=%2\" in section [%3] of the settings "
                                         "file %4 %5.")
                              .arg(key, value, section(), m_path, problem);
        if (!whatIsOff.isEmpty())
            message += u' ' + whatIsOff;
        m_settings.problems.append(message);
    }

private:
    QString m_path;
    WindAlarmSettings &m_settings;
    QHash<QString, QString> m_values;
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

} // namespace

WindAlarmSettings readWindAlarmSettings(const SettingsFile &file)
{
    WindAlarmSettings settings;
    WindAlarmConfig &config = settings.config;
    SectionReader section(file, settings);

    const QString speedAlarmsOff = QStringLiteral("The mean and gust alarms are off.");
    bool unitUsable = true;
    if (const auto text = section.text(KeyUnit, speedAlarmsOff)) {
        const std::pair<const char *, SpeedUnit> units[] = {
            {"kn", SpeedUnit::Knots},
            {"ms", SpeedUnit::MetresPerSecond},
            {"kmh", SpeedUnit::KilometresPerHour},
        };
        const auto unit = std::find_if(std::begin(units), std::end(units), [&](const auto &u) {
            return text->compare(QLatin1String(u.first), Qt::CaseInsensitive) == 0;
        });
        if (unit == std::end(units)) {
            section.report(KeyUnit, *text, QStringLiteral("is not kn, ms or kmh"), speedAlarmsOff);
            unitUsable = false;
        } else {
            config.unit = unit->second;
        }
    } else if (section.has(KeyUnit)) {
        unitUsable = false;
    }

    const auto readSpeed = [&](const QString &key, const QString &alarm) {
        const QString off = QStringLiteral("The %1 alarm is off.").arg(alarm);
        const auto text = section.text(key, off);
        if (!text)
            return std::optional<double>();
        const std::optional<double> value = positiveNumber(*text, HighestSpeedThreshold);
        if (!value)
            section.report(key, *text,
                           QStringLiteral("is not a speed above 0 and up to %1, written with "
                                          "a point")
                               .arg(HighestSpeedThreshold),
                           off);
        if (!value || !unitUsable)
            return std::optional<double>();
        return std::optional<double>(toMetresPerSecond(*value, config.unit));
    };
    config.meanAboveMetresPerSecond = readSpeed(KeyMeanAbove, QStringLiteral("mean speed"));
    config.gustAboveMetresPerSecond = readSpeed(KeyGustAbove, QStringLiteral("gust"));

    const QString shiftOff = QStringLiteral("The shift alarm is off.");
    const auto degrees = section.text(KeyShiftDegrees, shiftOff);
    const auto minutes = section.text(KeyShiftMinutes, shiftOff);
    bool shiftUsable = degrees.has_value();
    if (degrees) {
        config.shiftDegrees = positiveNumber(*degrees, 180);
        if (!config.shiftDegrees || *config.shiftDegrees >= 180) {
            section.report(KeyShiftDegrees, *degrees,
                           QStringLiteral("is not a number of degrees above 0 and below 180"),
                           shiftOff);
            shiftUsable = false;
        }
    }
    if (minutes) {
        const std::optional<int> value = plainWholeNumber(*minutes, 1, LongestShiftMinutes);
        if (!value) {
            section.report(KeyShiftMinutes, *minutes,
                           QStringLiteral("is not a whole number of minutes from 1 to %1")
                               .arg(LongestShiftMinutes),
                           shiftOff);
            shiftUsable = false;
        } else if (!section.has(KeyShiftDegrees)) {
            section.report(KeyShiftMinutes, *minutes,
                           QStringLiteral("has no %1 beside it").arg(KeyShiftDegrees), shiftOff);
        } else {
            config.shiftMinutes = *value;
        }
    }
    if (!shiftUsable)
        config.shiftDegrees.reset();

    const QString noReadingOff = QStringLiteral("The no-reading alarm is off.");
    if (const auto text = section.text(KeyNoReadingSeconds, noReadingOff)) {
        config.noReadingSeconds = plainWholeNumber(*text, 1, LongestNoReadingSeconds);
        if (!config.noReadingSeconds)
            section.report(KeyNoReadingSeconds, *text,
                           QStringLiteral("is not a whole number of seconds from 1 to %1")
                               .arg(LongestNoReadingSeconds),
                           noReadingOff);
    }

    const QString commandOff = QStringLiteral("No command is run.");
    if (const auto text = section.text(KeyCommand, commandOff)) {
        config.command = QProcess::splitCommand(*text);
        if (config.command.isEmpty() || config.command.first().isEmpty()) {
            section.report(KeyCommand, *text, QStringLiteral("names no program"), commandOff);
            config.command.clear();
        }
    }

    const QString exampleOff = QStringLiteral("Example mode raises no alarm.");
    if (const auto text = section.text(KeyExampleMode, exampleOff)) {
        if (const std::optional<bool> on = plainSwitch(*text))
            config.exampleModeRaises = *on;
        else
            section.report(KeyExampleMode, *text, QStringLiteral("is not True or False"),
                           exampleOff);
    }
    return settings;
}
