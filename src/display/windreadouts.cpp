#include "windreadouts.h"

#include "shell/frmmain.h"

#include <QLabel>
#include <QLineEdit>

void describeWindReadouts(frmMain &window)
{
    const struct
    {
        int index;
        const char *description;
    } readouts[] = {
        {0, "Wind direction in degrees"}, {1, "Wind direction as a compass point"},
        {10, "Wind speed in km/h"},       {8, "Wind speed in mph"},
        {13, "Wind speed in knots"},      {15, "Wind force on the Beaufort scale"},
    };
    // A label's accessible name is its text as long as none is set.
    for (const auto &readout : readouts)
        window.Label1[readout.index]->setAccessibleDescription(
            QString::fromLatin1(readout.description));

    const char *const boxes[] = {"Wind description", "Sea condition", "Land condition"};
    for (int index = 0; index < 3; ++index) {
        QLineEdit *box = window.Text1[index];
        box->setAccessibleDescription(QString::fromLatin1(boxes[index]));
        // A text box has no name of its own; keep it on the text it shows.
        box->setAccessibleName(box->text());
        QObject::connect(box, &QLineEdit::textChanged, box, &QWidget::setAccessibleName,
                         Qt::UniqueConnection);
    }
}
