// The display: the wind state turned into the compass, the readouts, the bars
// and the condition texts.

#include "windwindow.h"

#include "core/beaufort.h"
#include "core/numberformat.h"
#include "core/winddirection.h"
#include "core/windspeed.h"
#include "widgets/barlabel.h"
#include "widgets/gaugewidget.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>

void WindWindow::refreshDisplay()
{
    showDirection();
    showSpeed();
    emit displayRefreshed();
}

void WindWindow::showDirection()
{
    m_state.directionDegrees = normalizedAngle(m_state.directionDegrees);

    const QLocale locale;
    const QString readout = formatWhole(m_state.directionDegrees, locale);
    // The compass turns to the whole degree the readout shows, not to the
    // unrounded angle, so needle and readout always agree.
    m_controls.compassGauge->setVariable(QStringLiteral("Angle"),
                                         compassVariable(readShownNumber(readout, locale)));
    m_controls.degreesReadout->setText(readout);
    // The point, unlike the readout, follows the unrounded angle.
    m_controls.compassPointReadout->setText(compassPoint(m_state.directionDegrees));
}

// Each step shows its result before the next one computes, so a failure
// part-way leaves the earlier readouts updated and the later ones as they were.
void WindWindow::showSpeed()
{
    if (m_state.speedMetresPerSecond < 0)
        m_state.speedMetresPerSecond = 0;

    const QLocale locale;
    const double kmh = metresPerSecondToKmh(m_state.speedMetresPerSecond);
    m_controls.kmhReadout->setText(formatOneDecimal(kmh, locale));

    // The bars follow the unrounded speed; everything below derives from the
    // km/h readout as shown, so the four numbers on screen agree.
    const float top = barTopTwips(kmh);
    for (BarLabel *bar : m_controls.speedBars)
        bar->setTop(top);

    const auto shownKmh = [&] {
        return readShownNumber(m_controls.kmhReadout->text(), locale);
    };
    m_controls.mphReadout->setText(formatOneDecimal(kmhToMph(shownKmh()), locale));
    m_controls.knotsReadout->setText(formatOneDecimal(kmhToKnots(shownKmh()), locale));

    const double beaufort = kmhToBeaufort(shownKmh());
    m_controls.beaufortReadout->setText(formatBeaufort(beaufort, locale));

    const std::pair<ConditionBox, QLineEdit *> boxes[] = {
        {ConditionBox::Description, m_controls.descriptionBox},
        {ConditionBox::Sea, m_controls.seaBox},
        {ConditionBox::Land, m_controls.landBox},
    };
    for (const auto &[box, textBox] : boxes) {
        // Outside the scale a box keeps what it showed before.
        // A text box lays its text out again on every write, even an
        // unchanged one; a steady wind keeps the same texts for hours.
        const auto text = conditionText(box, beaufort);
        if (text && textBox->text() != *text)
            textBox->setText(*text);
    }
}

void WindWindow::clearSpeedReadouts()
{
    for (QLabel *readout : {m_controls.mphReadout, m_controls.kmhReadout,
                            m_controls.beaufortReadout, m_controls.knotsReadout})
        readout->setText(QString());
    m_state.refreshPending = false;
}
