// SPDX-License-Identifier: MIT
#include "core/runwaywind.h"

#include <QDir>
#include <QRegularExpression>
#include <QtMath>

#include <cmath>

namespace {

constexpr int longestRunwayName = 20;

qint64 wholeKnots(double knots)
{
    // Half up in size, whichever the sign.
    return qint64(std::floor(std::abs(knots) + 0.5));
}

} // namespace

RunwayWindComponents runwayWindComponents(double headingDegrees, double windFromDegrees,
                                          double speed)
{
    const double radians = qDegreesToRadians(windFromDegrees - headingDegrees);
    return {speed * std::cos(radians), speed * std::sin(radians)};
}

QString runwayWindText(const QString &runway, const RunwayWindComponents &meanKnots,
                       std::optional<double> gustCrosswindKnots)
{
    QString text = QStringLiteral("RWY %1: %2 %3 kt, crosswind %4 kt")
                       .arg(runway,
                            meanKnots.headwind < 0 && wholeKnots(meanKnots.headwind) > 0
                                ? QStringLiteral("tailwind")
                                : QStringLiteral("headwind"))
                       .arg(wholeKnots(meanKnots.headwind))
                       .arg(wholeKnots(meanKnots.crosswind));
    if (wholeKnots(meanKnots.crosswind) > 0)
        text += meanKnots.crosswind < 0 ? QStringLiteral(" from the left")
                                        : QStringLiteral(" from the right");
    if (gustCrosswindKnots)
        text += QStringLiteral(", gusts to %1").arg(wholeKnots(*gustCrosswindKnots));
    return text;
}

RunwaySettings readRunways(const QList<std::pair<QString, QString>> &section,
                           const QString &settingsPath)
{
    // Plain decimal with a point, whatever the user's locale: the section is
    // written by hand, and "268,5" would mean one thing here and another on
    // the next machine.
    static const QRegularExpression heading(QStringLiteral("^[0-9]{1,3}(\\.[0-9]{1,6})?$"));
    RunwaySettings settings;
    for (const auto &[key, value] : section) {
        const auto report = [&, &key = key, &value = value](const QString &problem) {
            settings.problems.append(
                QStringLiteral("The setting \"%1=%2\" in section [%3] of the settings file %4 "
                               "%5. That runway is left out.")
                    .arg(key, value, QLatin1String(RunwaysSectionName),
                         QDir::toNativeSeparators(settingsPath), problem));
        };
        const QString name = key.trimmed();
        if (name.isEmpty() || name.size() > longestRunwayName) {
            report(QStringLiteral("does not name a runway in 1 to %1 characters")
                       .arg(longestRunwayName));
            continue;
        }
        const bool named = std::any_of(
            settings.runways.begin(), settings.runways.end(), [&name](const Runway &runway) {
                return runway.name.compare(name, Qt::CaseInsensitive) == 0;
            });
        if (named) {
            report(QStringLiteral("names a runway a line above it names too"));
            continue;
        }
        const QString text = value.trimmed();
        const double degrees = text.toDouble();
        if (!heading.match(text).hasMatch() || degrees > 360) {
            report(QStringLiteral("is not a true heading from 0 to 360 degrees, written with a "
                                  "point"));
            continue;
        }
        settings.runways.append({name, degrees});
    }
    return settings;
}
