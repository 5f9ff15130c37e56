// SPDX-License-Identifier: MIT
// The statistics and the link's health as the history window's texts. Every
// figure's accessible name carries its value in words, so a screen reader
// reads the same figure the label shows.

#include "historywindow.h"

#include "core/numberformat.h"
#include "core/windstatistics.h"
#include "core/windstatisticstext.h"
#include "feed/windrecorder.h"

#include <QLabel>
#include <QLocale>

namespace {
const SpeedUnit Units[3]
    = {SpeedUnit::KilometresPerHour, SpeedUnit::Knots, SpeedUnit::MetresPerSecond};
// The mark's colours by day and at night: white on red when stale, a
// steady colour when fresh.
struct MarkColours
{
    QRgb staleBackground;
    QRgb staleText;
    QRgb freshText;
};
constexpr MarkColours DayMark = {0xffc00000, 0xffffffff, 0xff007000};
constexpr MarkColours NightMark = {NightRed::Mid, NightRed::Black, NightRed::Bright};

QString notCovered(const WindPeriodStatistics &period, const QLocale &locale)
{
    return QStringLiteral("not shown, coverage %1 is under %2 %")
        .arg(coverageFigure(period, locale))
        .arg(WindRules::minimumCoveragePercent);
}

QString spokenSpeed(const QString &figure, SpeedUnit unit)
{
    return figure + u' ' + spokenUnit(unit);
}
} // namespace

void HistoryWindow::setFigure(Figure &figure, const QString &shown, const QString &spoken)
{
    // Unchanged texts are not set again: a label that is set lays out and
    // repaints, and most figures stand still from one second to the next.
    if (figure.label->text() != shown)
        figure.label->setText(shown);
    const QString name = figure.spokenName + QStringLiteral(": ") + spoken;
    if (figure.label->accessibleName() != name)
        figure.label->setAccessibleName(name);
}

void HistoryWindow::showStatistics(const WindStatisticsSnapshot &snapshot)
{
    const QLocale locale;
    showPeriod(m_twoMinutes, snapshot.twoMinutes);
    showPeriod(m_tenMinutes, snapshot.tenMinutes);

    const WindPeriodStatistics &ten = snapshot.tenMinutes;
    for (int i = 0; i < 3; ++i) {
        if (!ten.isCovered() || !ten.gust) {
            setFigure(m_gust[i], notShownFigure(),
                      ten.gust ? notCovered(ten, locale) : QStringLiteral("no data"));
            continue;
        }
        const QString figure = speedFigure(*ten.gust, Units[i], locale);
        setFigure(m_gust[i], figure, spokenSpeed(figure, Units[i]));
    }
    if (!ten.isCovered()) {
        setFigure(m_beaufort, notShownFigure(), notCovered(ten, locale));
    } else {
        const QString figure = beaufortFigure(ten.meanSpeed, locale);
        setFigure(m_beaufort, figure, QStringLiteral("force ") + figure);
    }
}

void HistoryWindow::showPeriod(PeriodRow &row, const WindPeriodStatistics &period)
{
    const QLocale locale;
    const QString coverage = coverageFigure(period, locale);
    setFigure(row.coverage, coverage, coverage);
    if (!period.isCovered()) {
        const QString spoken = notCovered(period, locale);
        for (Figure &speed : row.speed)
            setFigure(speed, notShownFigure(), spoken);
        setFigure(row.direction, notShownFigure(), spoken);
        return;
    }
    for (int i = 0; i < 3; ++i) {
        const QString figure = speedFigure(period.meanSpeed, Units[i], locale);
        setFigure(row.speed[i], figure, spokenSpeed(figure, Units[i]));
    }
    setFigure(row.direction, directionFigure(period, locale), spokenDirection(period, locale));
}

void HistoryWindow::showLinkHealth(const WindStatisticsSnapshot &snapshot)
{
    const QLocale locale;
    const RecordedSource &source = m_recorder.source();
    switch (source.kind) {
    case RecordedSource::Kind::Sensor: {
        if (!source.input.isEmpty() && source.device.isEmpty()) {
            setFigure(m_source, source.input, source.input);
        } else if (!source.input.isEmpty()) {
            setFigure(m_source, QStringLiteral("%1 (%2)").arg(source.input, source.device),
                      QStringLiteral("%1, %2").arg(source.input, source.device));
        } else {
            const QString device
                = source.device.isEmpty() ? QStringLiteral("device unknown") : source.device;
            setFigure(m_source, QStringLiteral("Port %1 (%2)").arg(source.portNumber).arg(device),
                      QStringLiteral("serial port %1, %2").arg(source.portNumber).arg(device));
        }
        const QString state = source.state.isEmpty() ? QStringLiteral("unknown") : source.state;
        setFigure(m_linkState, state, state);
        break;
    }
    case RecordedSource::Kind::ExampleMode:
        setFigure(m_source, QStringLiteral("Example mode"), QStringLiteral("example mode"));
        setFigure(m_linkState, QStringLiteral("Not listening"), QStringLiteral("not listening"));
        break;
    case RecordedSource::Kind::None:
        setFigure(m_source, QStringLiteral("None"),
                  QStringLiteral("none: not listening, example mode off"));
        setFigure(m_linkState, QStringLiteral("Not listening"), QStringLiteral("not listening"));
        break;
    }

    // Which wind an NMEA input shows; the sensor's needs no words.
    const QString wind = source.kind == RecordedSource::Kind::Sensor ? source.wind : QString();
    setFigure(m_windShown, wind, wind);
    m_windShown.label->setVisible(!wind.isEmpty());

    const qint64 accepted = m_recorder.acceptedCount();
    const qint64 rejected = m_recorder.rejectedCount();
    const QString acceptedText = countWithShare(accepted, accepted + rejected, locale);
    const QString rejectedText = countWithShare(rejected, accepted + rejected, locale);
    setFigure(m_accepted, acceptedText, acceptedText);
    setFigure(m_rejected, rejectedText, rejectedText);

    const LinkHealthReport &link = snapshot.link;
    const QString rate = formatOneDecimal(link.samplesPerSecond, locale);
    setFigure(m_frameRate, rate + QStringLiteral(" /s"), rate + QStringLiteral(" per second"));
    const QString since = secondsSinceFigure(link.msSinceLastSample, locale);
    setFigure(m_sinceLastSample, since,
              link.msSinceLastSample
                  ? formatOneDecimal(double(*link.msSinceLastSample) / 1000, locale)
                      + QStringLiteral(" seconds")
                  : since);

    const QString mark = link.stale ? QStringLiteral("STALE") : QStringLiteral("fresh");
    if (m_staleMark.label->text() != mark)
        colourStaleMark(link.stale);
    if (!link.stale)
        setFigure(m_staleMark, mark, QStringLiteral("fresh"));
    else if (link.msSinceLastSample)
        setFigure(m_staleMark, mark, QStringLiteral("stale, no sample for %1").arg(since));
    else
        setFigure(m_staleMark, mark, QStringLiteral("stale, no sample yet"));
}

void HistoryWindow::colourStaleMark(bool stale)
{
    const MarkColours &colours = m_colourScheme == ColourScheme::Night ? NightMark : DayMark;
    QPalette marked = palette();
    if (stale)
        marked.setColor(QPalette::Window, QColor(colours.staleBackground));
    marked.setColor(QPalette::WindowText, QColor(stale ? colours.staleText : colours.freshText));
    m_staleMark.label->setPalette(marked);
}
