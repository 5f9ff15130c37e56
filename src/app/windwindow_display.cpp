// SPDX-License-Identifier: MIT
// The display: the numbers the feed hands on, made into the compass's
// turn, the readouts' and the condition boxes' words in the user's locale,
// and the bars' height; the stale mark; the alarms on the compass.

#include "windwindow.h"

#include "core/numberformat.h"
#include "widgets/barlabel.h"
#include "widgets/compasswidget.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>

void WindWindow::showReading(const WindFeedReading &reading)
{
    const WindFigures &shown = reading.figures;
    const QLocale locale;
    // The compass turns to the whole degree the readout shows, not to the
    // unrounded angle, so arrow and readout always agree.
    if (shown.shownDegrees) {
        m_controls.compassGauge->setWindDirection(*shown.shownDegrees);
        m_controls.degreesReadout->setText(formatWhole(*shown.shownDegrees, locale));
    }
    if (shown.compassPoint)
        m_controls.compassPointReadout->setText(compassPointName(*shown.compassPoint));

    if (shown.kmh)
        m_controls.kmhReadout->setText(formatOneDecimal(*shown.kmh, locale));
    if (shown.barTopTwips) {
        for (BarLabel *bar : m_controls.speedBars)
            bar->setTop(*shown.barTopTwips);
    }
    if (shown.mph)
        m_controls.mphReadout->setText(formatOneDecimal(*shown.mph, locale));
    if (shown.knots)
        m_controls.knotsReadout->setText(formatOneDecimal(*shown.knots, locale));
    if (shown.beaufort)
        m_controls.beaufortReadout->setText(formatBeaufort(*shown.beaufort, locale));

    QLineEdit *const boxes[ConditionBoxCount]
        = {m_controls.descriptionBox, m_controls.seaBox, m_controls.landBox};
    for (int box = 0; box < ConditionBoxCount; ++box) {
        // Outside the scale a box keeps what it showed before. A text box
        // lays its text out again on every write, even an unchanged one; a
        // steady wind keeps the same texts for hours.
        const std::optional<int> row = shown.conditionRows[size_t(box)];
        if (!row)
            continue;
        const QString text = conditionText(ConditionBox(box), *row);
        if (boxes[box]->text() != text)
            boxes[box]->setText(text);
    }
    if (!shown.failure)
        emit displayRefreshed();
}

void WindWindow::clearSpeedReadouts()
{
    for (QLabel *readout : m_controls.speedReadouts())
        readout->setText(QString());
}

void WindWindow::showAlarms(CompassWidget::Ring ring, const QString &description)
{
    m_controls.compassGauge->setRing(ring);
    m_alarmsDescription = description;
    describeCompass();
}

void WindWindow::describeCompass()
{
    QStringList parts;
    for (const QString &part : {m_feed.windDescription(), m_alarmsDescription}) {
        if (!part.isEmpty())
            parts << part;
    }
    const QString description = parts.join(QStringLiteral(". "));
    if (m_controls.compassGauge->accessibleDescription() != description)
        m_controls.compassGauge->setAccessibleDescription(description);
}

// Readouts whose value is old dim (grey, or dark red at night) and say how
// old they are; the bars and the condition texts stay as they were, as they
// do for a rejected frame.
void WindWindow::showStaleness(const WindStaleness &staleness)
{
    const auto remember = [this](const auto &readouts, bool wasStale, bool isStale) {
        for (QLabel *readout : readouts) {
            if (!wasStale && isStale)
                m_freshDescriptions.insert(readout, readout->accessibleDescription());
            else if (wasStale && !isStale)
                readout->setAccessibleDescription(m_freshDescriptions.value(readout));
        }
    };
    remember(m_controls.directionReadouts(), m_staleness.direction, staleness.direction);
    remember(m_controls.speedReadouts(), m_staleness.speed, staleness.speed);
    m_staleness = staleness;
    colourValueReadouts();
    describeStaleReadouts();
}

// Follows the clock's second hand rather than a timer of its own, so that a
// quiet line wakes the process once a second, not twice.
void WindWindow::describeStaleReadouts()
{
    const auto describe = [](const auto &readouts, bool stale, qint64 ageMs) {
        if (!stale)
            return;
        const QString description = QStringLiteral("No reading for %1 s").arg(ageMs / 1000);
        for (QLabel *readout : readouts) {
            if (readout->accessibleDescription() != description)
                readout->setAccessibleDescription(description);
        }
    };
    describe(m_controls.directionReadouts(), m_staleness.direction, m_feed.msSinceDirection());
    describe(m_controls.speedReadouts(), m_staleness.speed, m_feed.msSinceSpeed());
}

void WindWindow::colourValueReadouts()
{
    const auto colour = [this](const auto &readouts, bool stale) {
        const QColor colour = valueReadoutColour(m_colourScheme, stale);
        for (QLabel *readout : readouts) {
            QPalette palette = readout->palette();
            palette.setColor(QPalette::WindowText, colour);
            readout->setPalette(palette);
        }
    };
    colour(m_controls.directionReadouts(), m_staleness.direction);
    colour(m_controls.speedReadouts(), m_staleness.speed);
}
