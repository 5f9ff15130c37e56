// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// The wind along and across a runway.
struct RunwayWindComponents
{
    // Along the runway: positive blows against an aircraft rolling along the
    // runway's heading (a headwind), negative behind it (a tailwind).
    double headwind = 0;
    // Across it: positive from the right of that aircraft, negative from its
    // left.
    double crosswind = 0;
};

// The components of a wind that blows from windFromDegrees (true, where it
// comes from, as every direction here) at speed on a runway whose true
// heading is headingDegrees, in the speed's unit:
//     headwind = speed * cos(windFrom - heading)
//     crosswind = speed * sin(windFrom - heading)
// so on runway 27 (heading 270) a wind from 240 is a headwind with a
// crosswind from the left, and one from 090 a tailwind.
RunwayWindComponents runwayWindComponents(double headingDegrees, double windFromDegrees,
                                          double speed);

// "RWY 27: headwind 14 kt, crosswind 5 kt from the left, gusts to 9": the
// components of the mean in knots, each in whole knots half up ("tailwind"
// when the wind is behind; no side for a crosswind that rounds to 0), and,
// when gustCrosswindKnots is given, the crosswind at the gust in whole
// knots.
QString runwayWindText(const QString &runway, const RunwayWindComponents &meanKnots,
                       std::optional<double> gustCrosswindKnots = std::nullopt);

// One runway of the optional section [RUNWAYS], a name and its true heading
// in degrees a line:
//
//     [RUNWAYS]
//     27=268
//     09=088
struct Runway
{
    QString name;
    double headingDegrees = 0;
};

struct RunwaySettings
{
    QList<Runway> runways;
    // One message for each line that cannot be used, naming its key, its
    // value and the file; that runway is left out.
    QStringList problems;
};

inline constexpr char RunwaysSectionName[] = "RUNWAYS";

// The runways of the section's lines in their order, as
// SettingsFile::readSection gives them; settingsPath is named in the
// messages. A heading is plain decimal with a point, whatever the locale,
// from 0 to 360; a name has at most 20 characters and is not given twice
// (letter case aside: the second is left out).
RunwaySettings readRunways(const QList<std::pair<QString, QString>> &section,
                           const QString &settingsPath);
