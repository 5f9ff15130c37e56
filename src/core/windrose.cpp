// SPDX-License-Identifier: MIT
#include "core/windrose.h"

#include "core/apperror.h"
#include "core/winddirection.h"

namespace {

const char *const sectorNames[WindRoseRules::sectors] = {
    "N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
    "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW",
};

// The lower edge of sector k, exact in binary for every k from 0 to 16.
double sectorStart(int k)
{
    return WindRoseRules::sectorWidthDegrees * k - WindRoseRules::sectorWidthDegrees / 2;
}

} // namespace

int wmoBeaufortForce(double metresPerSecond)
{
    checkedFloat(metresPerSecond);
    int force = 0;
    while (force < int(WmoBeaufortLimits.size()) && metresPerSecond >= WmoBeaufortLimits[force])
        ++force;
    return force;
}

int windRoseSector(double directionDegrees)
{
    const double degrees = wrappedDegrees(directionDegrees);
    // The quotient may round onto an edge from just below it; the edges
    // themselves are exact, so the comparisons settle it.
    int k = int((degrees + WindRoseRules::sectorWidthDegrees / 2)
                / WindRoseRules::sectorWidthDegrees);
    if (degrees < sectorStart(k))
        --k;
    else if (degrees >= sectorStart(k + 1))
        ++k;
    return k % WindRoseRules::sectors;
}

QString windRoseSectorName(int sector)
{
    if (sector < 0 || sector >= WindRoseRules::sectors)
        return {};
    return QString::fromLatin1(sectorNames[sector]);
}

qint64 &WindRose::cell(double directionDegrees, double speedMetresPerSecond)
{
    // Both judged before anything is counted.
    const int force = wmoBeaufortForce(checkedFloat(speedMetresPerSecond));
    const int sector = windRoseSector(directionDegrees);
    return force == 0 ? m_calmCount : m_counts[sector][force - 1];
}

void WindRose::add(double directionDegrees, double speedMetresPerSecond)
{
    ++cell(directionDegrees, speedMetresPerSecond);
    ++m_sampleCount;
}

void WindRose::remove(double directionDegrees, double speedMetresPerSecond)
{
    qint64 &count = cell(directionDegrees, speedMetresPerSecond);
    if (count == 0)
        throw AppError(AppError::Kind::InvalidArgument,
                       QStringLiteral("The wind rose holds no sample from %1 degrees at %2 m/s "
                                      "to take back.")
                           .arg(directionDegrees)
                           .arg(speedMetresPerSecond));
    --count;
    --m_sampleCount;
}

void WindRose::clear()
{
    *this = WindRose();
}

qint64 WindRose::sectorCount(int sector) const
{
    if (sector < 0 || sector >= WindRoseRules::sectors)
        return 0;
    qint64 total = 0;
    for (const qint64 count : m_counts[sector])
        total += count;
    return total;
}

qint64 WindRose::count(int sector, int force) const
{
    if (sector < 0 || sector >= WindRoseRules::sectors || force < 1
        || force > WindRoseRules::forces)
        return 0;
    return m_counts[sector][force - 1];
}

double WindRose::percentOf(qint64 count) const
{
    return m_sampleCount > 0 ? count * 100.0 / m_sampleCount : 0.0;
}

std::optional<WindRosePrevailing> WindRose::prevailing() const
{
    std::optional<WindRosePrevailing> prevailing;
    qint64 most = 0;
    for (int sector = 0; sector < WindRoseRules::sectors; ++sector) {
        const qint64 count = sectorCount(sector);
        if (count > most) {
            most = count;
            prevailing = WindRosePrevailing{sector, percentOf(count)};
        }
    }
    return prevailing;
}

QString windRoseDescription(const WindRose &rose)
{
    if (const auto prevailing = rose.prevailing())
        return QStringLiteral("Prevailing %1, %2 %")
            .arg(windRoseSectorName(prevailing->sector))
            .arg(qRound(prevailing->percent));
    return rose.sampleCount() > 0 ? QStringLiteral("Calm") : QStringLiteral("No wind received");
}
