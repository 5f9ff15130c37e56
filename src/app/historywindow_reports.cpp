// SPDX-License-Identifier: MIT
// The wind rose of the chosen span or of today's data log, the wind as
// airfields report it and each runway's components, with what a screen
// reader says of them.

#include "historywindow.h"

#include "errorguard.h"

#include "core/metarwind.h"
#include "core/windspeed.h"
#include "core/windstatistics.h"
#include "core/windstatisticstext.h"
#include "feed/windrecorder.h"
#include "widgets/windroseplot.h"

#include <QComboBox>
#include <QDateTime>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
constexpr qint64 MinuteMs = 60 * 1000;
// The rose chooser's entry for today's data log.
constexpr int TodaysLog = 0;

// A period's group, or the sign of a figure not shown when the period is
// covered too little or holds no sample.
QString groupText(const WindPeriodStatistics &statistics,
                  const std::optional<MetarWindFigures> &figures)
{
    return statistics.isCovered() && figures ? metarWindGroup(*figures) : notShownFigure();
}
} // namespace

QWidget *HistoryWindow::buildRose()
{
    auto *box = new QGroupBox(QStringLiteral("Wind rose"), this);
    auto *layout = new QVBoxLayout(box);
    m_roseSpanChooser = new QComboBox(box);
    for (int minutes : {10, 30, 60})
        m_roseSpanChooser->addItem(QStringLiteral("Last %1 minutes").arg(minutes), minutes);
    m_roseSpanChooser->setAccessibleName(QStringLiteral("Wind rose span"));
    m_roseSpanChooser->setAccessibleDescription(
        QStringLiteral("Whether the wind rose counts the last minutes or today's data log."));
    connect(m_roseSpanChooser, &QComboBox::currentIndexChanged, this, [this] {
        if (isVisible())
            guarded([this] { refresh(); });
    });
    layout->addWidget(m_roseSpanChooser);

    m_rosePlot = new WindRosePlot(box);
    m_rosePlot->setObjectName(QStringLiteral("Wind Rose"));
    m_rosePlot->setAccessibleName(QStringLiteral("Wind Rose"));
    layout->addWidget(m_rosePlot, 1);
    return box;
}

QWidget *HistoryWindow::buildReports()
{
    m_reports = new QGroupBox(QStringLiteral("As airfields report it"), this);
    auto *layout = new QVBoxLayout(m_reports);
    m_metar = makeFigure(QStringLiteral("METAR wind"),
                         QStringLiteral("The wind group of an airfield's report over the last 2 "
                                        "and the last 10 minutes: direction to ten degrees, "
                                        "speed and gust in knots, the extremes of a varying "
                                        "direction."));
    m_metar.label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(m_metar.label);
    return m_reports;
}

void HistoryWindow::setRunways(const QList<Runway> &runways)
{
    for (Figure &figure : m_runwayFigures)
        delete figure.label;
    m_runwayFigures.clear();
    m_runways = runways;
    for (const Runway &runway : runways) {
        Figure figure = makeFigure(
            QStringLiteral("Runway %1").arg(runway.name),
            QStringLiteral("The headwind (or tailwind) and the crosswind on runway %1 from the "
                           "2-minute mean, and the crosswind in the gust, in knots.")
                .arg(runway.name));
        figure.label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_reports->layout()->addWidget(figure.label);
        m_runwayFigures.append(figure);
    }
}

// Today's data log joins the chooser once there is a log to read.
void HistoryWindow::offerTodaysLog()
{
    const bool offered = m_roseSpanChooser->findData(TodaysLog) >= 0;
    if (m_recorder.isLogging() && !offered)
        m_roseSpanChooser->addItem(QStringLiteral("Today (data log)"), TodaysLog);
}

void HistoryWindow::showRose(qint64 nowMs)
{
    offerTodaysLog();
    const int minutes = m_roseSpanChooser->currentData().toInt();
    if (minutes == TodaysLog) {
        m_dayLogRose.update(m_recorder.logFolder(), QDateTime::currentMSecsSinceEpoch());
        m_rosePlot->setRose(m_dayLogRose.rose());
    } else {
        WindRose rose;
        m_recorder.forEachHistoryPoint(
            nowMs, minutes * MinuteMs, [&rose](const WindHistoryPoint &point) {
                rose.add(point.directionDegrees, point.speedMetresPerSecond);
            });
        m_rosePlot->setRose(rose);
    }
    const QString description = windRoseDescription(m_rosePlot->rose());
    if (m_rosePlot->accessibleDescription() != description)
        m_rosePlot->setAccessibleDescription(description);
}

void HistoryWindow::showReports(qint64 nowMs, const WindStatisticsSnapshot &snapshot)
{
    // A period covered too little has no report, as it has no mean.
    const std::optional<MetarWindFigures> twoMinutes
        = m_recorder.metarWindFigures(nowMs, WindStatistics::twoMinutesMs);
    const QString two = groupText(snapshot.twoMinutes, twoMinutes);
    const QString ten = groupText(snapshot.tenMinutes,
                                  m_recorder.metarWindFigures(nowMs, WindStatistics::tenMinutesMs));
    setFigure(m_metar, QStringLiteral("2 min %1 \u00b7 10 min %2").arg(two, ten),
              QStringLiteral("2 minutes %1, 10 minutes %2").arg(two, ten));

    std::optional<MetarWindFigures> figures;
    if (snapshot.twoMinutes.isCovered())
        figures = twoMinutes;
    for (qsizetype i = 0; i < m_runways.size(); ++i) {
        const Runway &runway = m_runways.at(i);
        if (!figures || !figures->meanDirection) {
            setFigure(m_runwayFigures[i],
                      QStringLiteral("RWY %1: %2").arg(runway.name, notShownFigure()),
                      QStringLiteral("no wind to compute"));
            continue;
        }
        const double from = *figures->meanDirection;
        std::optional<double> gustCrosswind;
        if (const std::optional<double> gust = figures->gustKnots)
            gustCrosswind = runwayWindComponents(runway.headingDegrees, from, *gust).crosswind;
        const QString text = runwayWindText(
            runway.name, runwayWindComponents(runway.headingDegrees, from, figures->meanKnots),
            gustCrosswind);
        setFigure(m_runwayFigures[i], text, text);
    }
}
