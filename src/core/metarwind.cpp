// SPDX-License-Identifier: MIT
#include "core/metarwind.h"

#include "core/apperror.h"
#include "core/winddirection.h"
#include "core/windperiod.h"
#include "core/windspeed.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

// Values are compared in billionths, as whole numbers.
constexpr qint64 billion = 1000000000;
constexpr qint64 fullTurn = 360 * billion;

qint64 billionths(double value)
{
    return std::llround(value * double(billion));
}

// Half up, for the values here, which are never negative.
qint64 roundedHalfUp(qint64 value, qint64 unit)
{
    return (value + unit / 2) / unit;
}

QString speedFigures(qint64 knots)
{
    if (knots >= 100)
        return QStringLiteral("P99");
    return QStringLiteral("%1").arg(knots, 2, 10, QLatin1Char('0'));
}

// A direction in billionths of a degree, [0, 360e9), to ten degrees: 360 for
// north, never 000.
QString directionFigures(qint64 direction)
{
    qint64 tens = roundedHalfUp(direction, 10 * billion) % 36;
    if (tens == 0)
        tens = 36;
    return QStringLiteral("%1").arg(tens * 10, 3, 10, QLatin1Char('0'));
}

qint64 wrappedBillionths(double degrees)
{
    const qint64 value = billionths(wrappedDegrees(degrees));
    return value >= fullTurn ? value - fullTurn : value;
}

} // namespace

QString metarWindGroup(const MetarWindFigures &figures)
{
    const qint64 mean = billionths(figures.meanKnots);
    const qint64 speed = roundedHalfUp(mean, billion);
    if (speed <= 0)
        return QStringLiteral("00000KT");

    QString group;
    QString extremes;
    std::optional<qint64> width;
    if (figures.variation)
        width = billionths(figures.variation->widthDegrees);
    if (!figures.meanDirection) {
        group = QStringLiteral("VRB");
    } else if (width && *width >= billionths(MetarRules::variableFromDegrees)
               && (*width >= billionths(MetarRules::variableOnlyFromDegrees)
                   || mean < billionths(MetarRules::extremesFromKnots))) {
        group = QStringLiteral("VRB");
    } else {
        group = directionFigures(wrappedBillionths(*figures.meanDirection));
        if (width && *width >= billionths(MetarRules::variableFromDegrees)) {
            const qint64 from = wrappedBillionths(figures.variation->fromDegrees);
            const qint64 to = (from + *width) % fullTurn;
            extremes = u' ' + directionFigures(from) + u'V' + directionFigures(to);
        }
    }

    group += speedFigures(speed);
    if (figures.gustKnots) {
        const qint64 gust = billionths(*figures.gustKnots);
        if (gust - mean >= billionths(MetarRules::gustExcessKnots))
            group += u'G' + speedFigures(roundedHalfUp(gust, billion));
    }
    return group + QStringLiteral("KT") + extremes;
}

MetarWindPeriod::MetarWindPeriod(qint64 startMs)
    : m_startMs(startMs)
{
    m_gust.advanceTo(startMs);
}

void MetarWindPeriod::restart(qint64 startMs)
{
    m_startMs = std::max(m_startMs, startMs);
    m_sampleCount = 0;
    m_sums = {};
    m_directions.clear();
    m_gust.advanceTo(m_startMs);
}

void MetarWindPeriod::add(qint64 timeMs, double directionDegrees, double speedMetresPerSecond)
{
    if (!std::isfinite(directionDegrees) || !std::isfinite(speedMetresPerSecond))
        throw AppError(
            AppError::Kind::InvalidArgument,
            QStringLiteral("A wind sample at %1 ms has no finite direction or speed.").arg(timeMs));
    if (m_lastSampleMs && timeMs < *m_lastSampleMs)
        throw AppError(AppError::Kind::InvalidArgument,
                       QStringLiteral("A wind sample at %1 ms came after one at %2 ms.")
                           .arg(timeMs)
                           .arg(*m_lastSampleMs));
    m_lastSampleMs = timeMs;
    m_gust.add(timeMs, speedMetresPerSecond);
    if (timeMs < m_startMs)
        return;

    const double radians = qDegreesToRadians(directionDegrees);
    m_sums += WindTerms{speedMetresPerSecond, std::cos(radians), std::sin(radians)};
    ++m_sampleCount;
    if (speedMetresPerSecond >= MetarRules::variationFromMetresPerSecond)
        m_directions.push_back(wrappedBillionths(directionDegrees));
}

std::optional<MetarWindFigures> MetarWindPeriod::figures() const
{
    if (m_sampleCount == 0)
        return std::nullopt;
    MetarWindFigures figures;
    figures.meanKnots = metresPerSecondToKnots(m_sums.speed / m_sampleCount);
    figures.meanDirection = meanUnitVectorDirection(m_sums, m_sampleCount);
    if (const std::optional<double> gust = m_gust.gust())
        figures.gustKnots = metresPerSecondToKnots(*gust);

    if (!m_directions.empty()) {
        // The narrowest arc holding every direction is the circle less the
        // widest gap between neighbours; it starts where that gap ends. A
        // gap wider than 180 degrees is the only one so wide, so an arc
        // narrower than 180 degrees is found whatever the order of equal
        // gaps.
        std::vector<qint64> sorted = m_directions;
        std::sort(sorted.begin(), sorted.end());
        qint64 widestGap = sorted.front() + fullTurn - sorted.back();
        qint64 from = sorted.front();
        for (std::size_t i = 1; i < sorted.size(); ++i) {
            if (sorted[i] - sorted[i - 1] > widestGap) {
                widestGap = sorted[i] - sorted[i - 1];
                from = sorted[i];
            }
        }
        figures.variation
            = MetarWindFigures::Arc{double(from) / billion, double(fullTurn - widestGap) / billion};
    }
    return figures;
}

QString MetarWindPeriod::group() const
{
    const std::optional<MetarWindFigures> figures = this->figures();
    return figures ? metarWindGroup(*figures) : QString();
}
