// SPDX-License-Identifier: MIT
// The display: what core worked out for the wind state, handed to the
// compass, the readouts, the bars and the condition texts.

#include "windwindow.h"

#include "core/winddisplay.h"
#include "widgets/barlabel.h"
#include "widgets/compasswidget.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>

#include <optional>

namespace {
void setText(QLabel *label, const std::optional<QString> &text)
{
    if (text)
        label->setText(*text);
}
} // namespace

void WindWindow::refreshDisplay()
{
    const WindDisplay shown
        = windDisplay(m_state.directionDegrees, m_state.speedMetresPerSecond, QLocale());
    showWind(shown);
    if (shown.failure)
        throw *shown.failure;
    emit displayRefreshed();
}

void WindWindow::showWind(const WindDisplay &shown)
{
    m_state.directionDegrees = shown.directionDegrees;
    m_state.speedMetresPerSecond = shown.speedMetresPerSecond;

    // The compass turns to the whole degree the readout shows, not to the
    // unrounded angle, so arrow and readout always agree.
    if (shown.shownDegrees)
        m_controls.compassGauge->setWindDirection(*shown.shownDegrees);
    setText(m_controls.degreesReadout, shown.degreesText);
    setText(m_controls.compassPointReadout, shown.compassPoint);

    setText(m_controls.kmhReadout, shown.kmhText);
    if (shown.barTopTwips) {
        for (BarLabel *bar : m_controls.speedBars)
            bar->setTop(*shown.barTopTwips);
    }
    setText(m_controls.mphReadout, shown.mphText);
    setText(m_controls.knotsReadout, shown.knotsText);
    setText(m_controls.beaufortReadout, shown.beaufortText);

    const std::pair<const std::optional<QString> &, QLineEdit *> boxes[] = {
        {shown.descriptionText, m_controls.descriptionBox},
        {shown.seaText, m_controls.seaBox},
        {shown.landText, m_controls.landBox},
    };
    for (const auto &[text, box] : boxes) {
        // Outside the scale a box keeps what it showed before. A text box
        // lays its text out again on every write, even an unchanged one; a
        // steady wind keeps the same texts for hours.
        if (text && box->text() != *text)
            box->setText(*text);
    }
}

void WindWindow::showAlarms(CompassWidget::Ring ring, const QString &description)
{
    m_controls.compassGauge->setRing(ring);
    if (m_controls.compassGauge->accessibleDescription() != description)
        m_controls.compassGauge->setAccessibleDescription(description);
}

void WindWindow::clearSpeedReadouts()
{
    for (QLabel *readout : {m_controls.mphReadout, m_controls.kmhReadout,
                            m_controls.beaufortReadout, m_controls.knotsReadout})
        readout->setText(QString());
}
