#include "beaufort.h"
#include "numberformat.h"
#include "windspeed.h"

#include "shell/barlabel.h"
#include "shell/frmmain.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>

// Each step shows its result before the next one computes, so a failure
// part-way leaves the earlier readouts updated and the later ones as they were.
void frmMain::ShowSpeed()
{
    if (WindSpeed < 0)
        WindSpeed = 0;

    const QLocale locale;
    const double kmh = metresPerSecondToKmh(WindSpeed);
    Label1[10]->setText(formatOneDecimal(kmh, locale));

    // The bars follow the unrounded speed; everything below derives from the
    // km/h readout as shown, so the four numbers on screen agree.
    const float top = barTopTwips(kmh);
    for (int bar = 1; bar <= 4; ++bar)
        Label5[bar]->setTop(top);

    const auto shownKmh = [&] {
        return readShownNumber(Label1[10]->text(), locale);
    };
    Label1[8]->setText(formatOneDecimal(kmhToMph(shownKmh()), locale));
    Label1[13]->setText(formatOneDecimal(kmhToKnots(shownKmh()), locale));

    const double beaufort = KmhToBeaufort(shownKmh());
    Label1[15]->setText(formatBeaufort(beaufort, locale));

    const ConditionBox boxes[] = {ConditionBox::Description, ConditionBox::Sea, ConditionBox::Land};
    for (ConditionBox box : boxes) {
        // Outside the scale a box keeps what it showed before.
        // A text box lays its text out again on every write, even an
        // unchanged one; a steady wind keeps the same texts for hours.
        const auto text = conditionText(box, beaufort);
        QLineEdit *textBox = Text1[static_cast<int>(box)];
        if (text && textBox->text() != *text)
            textBox->setText(*text);
    }
}

void frmMain::ClearSpeedReadouts()
{
    for (int index : {8, 10, 15, 13})
        Label1[index]->setText(QString());
    NewDataPending = false;
}
