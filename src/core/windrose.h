// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

// The wind rose: how often the wind came from each of 16 sectors, and how
// strong, counted one sample at a time.
//
// Sector k (0 = N, 1 = NNE, ... 15 = NNW) holds the directions in
// [22.5 k - 11.25, 22.5 k + 11.25), so N holds [348.75, 360) and
// [0, 11.25). A sample below 0.5 m/s is calm and belongs to no sector;
// every other sample counts in its sector and in the column of its Beaufort
// force (1 to 12, WmoBeaufortLimits).
namespace WindRoseRules {
inline constexpr int sectors = 16;
inline constexpr int forces = 12;
inline constexpr double sectorWidthDegrees = 22.5;
// Below this speed (m/s) a sample is calm, as a period is for the statistics.
inline constexpr double calmBelowMetresPerSecond = 0.5;
} // namespace WindRoseRules

// The WMO's upper limits of Beaufort forces 0 to 11 in m/s: force n while
// the speed is below the n-th limit (counted from 0), force 12 from the
// last limit on. Not the main window's Beaufort value, which has tenths and
// its own table in km/h.
inline constexpr std::array<double, 12> WmoBeaufortLimits
    = {0.5, 1.6, 3.4, 5.5, 8.0, 10.8, 13.9, 17.2, 20.8, 24.5, 28.5, 32.7};

// The force 0 to 12 of a speed in m/s by WmoBeaufortLimits; a negative speed
// is force 0. Throws AppError (InvalidFloatOperation) for NaN.
int wmoBeaufortForce(double metresPerSecond);

// The sector 0 to 15 of any finite direction, taken into [0, 360) first
// (so -5 is N and 370 is N). Throws AppError (Overflow,
// InvalidFloatOperation) when the direction is not finite.
int windRoseSector(double directionDegrees);

// "N", "NNE", ... "NNW" for sectors 0 to 15, the CSV's and the picture's
// names; "" for any other number.
QString windRoseSectorName(int sector);

// The sector that the most samples came from, and its share of all samples
// (calm ones included) in percent.
struct WindRosePrevailing
{
    int sector = 0;
    double percent = 0;
};

class WindRose
{
public:
    // Throws AppError (Overflow, InvalidFloatOperation) when the direction
    // or the speed is not finite; the rose is then left as it was.
    void add(double directionDegrees, double speedMetresPerSecond);
    // Takes back a sample added before, so that a rose can slide over the
    // last minutes by visiting only the samples that came and went since
    // the last look: counts are whole numbers, so nothing drifts. Throws
    // AppError (InvalidArgument) when the rose holds no such sample, and as
    // add() does; the rose is then left as it was.
    void remove(double directionDegrees, double speedMetresPerSecond);
    void clear();

    // Every sample added, calm ones included.
    qint64 sampleCount() const { return m_sampleCount; }
    qint64 calmCount() const { return m_calmCount; }
    // The samples of a sector (0 to 15), all forces together.
    qint64 sectorCount(int sector) const;
    // The samples of a sector of one force (1 to 12).
    qint64 count(int sector, int force) const;
    // A count's share of all samples in percent; 0 without samples.
    double percentOf(qint64 count) const;

    // None without a sample that is not calm. Of sectors that hold the same
    // number of samples, the first in compass order from N.
    std::optional<WindRosePrevailing> prevailing() const;

private:
    qint64 &cell(double directionDegrees, double speedMetresPerSecond);

    // [sector][force - 1]
    std::array<std::array<qint64, WindRoseRules::forces>, WindRoseRules::sectors> m_counts{};
    qint64 m_sampleCount = 0;
    qint64 m_calmCount = 0;
};

// What a screen reader says of a rose: "Prevailing WSW, 75 %" (the share in
// whole percent), "Calm" when every sample was calm, "No wind received"
// without samples.
QString windRoseDescription(const WindRose &rose);
