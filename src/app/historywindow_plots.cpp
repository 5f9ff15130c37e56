// SPDX-License-Identifier: MIT
// The recorded history drawn into the speed and direction plots, with a
// description of each for a screen reader.

#include "historywindow.h"

#include "core/numberformat.h"
#include "core/winddirection.h"
#include "core/windhistory.h"
#include "core/windperiodstatistics.h"
#include "core/windspeed.h"
#include "core/windstatisticstext.h"
#include "feed/windrecorder.h"

#include "widgets/timeplot.h"

#include <QComboBox>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {
constexpr qint64 MinuteMs = 60 * 1000;
// At most this many grid lines above zero on the speed axis.
constexpr int MostSpeedTicks = 5;

// The speed axis: from 0 to the first round step at or above the highest
// speed, in km/h.
QList<TimePlot::Tick> speedTicks(double highestKmh, double &top)
{
    double step = 1;
    for (double candidate : {1, 2, 5, 10, 20, 25, 50, 100, 200, 500, 1000}) {
        step = candidate;
        if (std::ceil(highestKmh / candidate) <= MostSpeedTicks)
            break;
    }
    const int count = std::max(1, int(std::ceil(highestKmh / step)));
    top = count * step;
    QList<TimePlot::Tick> ticks;
    const QLocale locale;
    for (int i = 0; i <= count; ++i)
        ticks.append({i * step, formatWhole(i * step, locale)});
    return ticks;
}

void describe(TimePlot *plot, const QString &description)
{
    if (plot->accessibleDescription() != description)
        plot->setAccessibleDescription(description);
}
} // namespace

void HistoryWindow::showPlots(qint64 nowMs)
{
    const int minutes = spanMinutes();
    const qint64 spanMs = minutes * MinuteMs;
    const QLocale locale;

    // One pass over the span, without a copy of it: the lines keep their
    // values as given, so the speed axis can be chosen after them.
    qint64 count = 0;
    float lowest = 0;
    float highest = 0;
    float highestGust = 0;
    WindHistoryPoint latest;
    m_speedPlot->beginData(nowMs, spanMs);
    m_directionPlot->beginData(nowMs, spanMs);
    m_recorder.forEachHistoryPoint(nowMs, spanMs, [&](const WindHistoryPoint &point) {
        lowest = count == 0 ? point.speedMetresPerSecond
                            : std::min(lowest, point.speedMetresPerSecond);
        highest = std::max(highest, point.speedMetresPerSecond);
        highestGust = std::max(highestGust, point.tenMinuteGust);
        latest = point;
        ++count;
        m_speedPlot->addPoint(0, point.timeMs, point.speedMetresPerSecond * KmhPerMetrePerSecond);
        m_speedPlot->addPoint(1, point.timeMs, point.twoMinuteMeanSpeed * KmhPerMetrePerSecond);
        m_speedPlot->addPoint(2, point.timeMs, point.tenMinuteGust * KmhPerMetrePerSecond);
        m_directionPlot->addPoint(0, point.timeMs, wrappedDegrees(point.directionDegrees));
    });
    double top = 0;
    const QList<TimePlot::Tick> ticks
        = speedTicks(std::max(highest, highestGust) * KmhPerMetrePerSecond, top);
    m_speedPlot->setValueAxis(0, top, ticks);
    m_speedPlot->endData();
    m_directionPlot->endData();

    const QString span = QStringLiteral("over the last %1 minutes").arg(minutes);
    m_speedPlot->setAccessibleName(QStringLiteral("Speed plot"));
    m_directionPlot->setAccessibleName(QStringLiteral("Direction plot"));
    if (count == 0) {
        describe(m_speedPlot, QStringLiteral("Speed %1: no samples.").arg(span));
        describe(m_directionPlot, QStringLiteral("Direction %1: no samples.").arg(span));
        return;
    }
    const auto kmh = [&locale](float metresPerSecond) {
        return formatOneDecimal(metresPerSecond * KmhPerMetrePerSecond, locale);
    };
    describe(m_speedPlot,
             QStringLiteral("Speed %1 in kilometres per hour: %2 samples, from %3 to %4; "
                            "2-minute mean now %5; highest gust %6.")
                 .arg(span, formatWhole(double(count), locale), kmh(lowest), kmh(highest),
                      kmh(latest.twoMinuteMeanSpeed), kmh(highestGust)));
    const double latestDirection = wrappedDegrees(latest.directionDegrees);
    describe(m_directionPlot,
             QStringLiteral("Direction %1: %2 samples drawn as points; the latest %3 degrees, %4.")
                 .arg(span, formatWhole(double(count), locale),
                      formatWhole(wrappedDegrees(latestDirection, 0), locale),
                      sixteenPointCompass(latestDirection)));
}
