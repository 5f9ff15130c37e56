#include "numberformat.h"
#include "winddirection.h"

#include "platform/gaugewidget.h"
#include "shell/frmmain.h"

#include <QLabel>
#include <QLocale>

void frmMain::ShowDirection()
{
    WindAngle = normalizedAngle(WindAngle);

    const QLocale locale;
    const QString readout = formatWhole(WindAngle, locale);
    // The compass turns to the whole degree the readout shows, not to the
    // unrounded angle, so needle and readout always agree.
    ShockwaveFlash1->SetVariable(QStringLiteral("Angle"),
                                 compassVariable(readShownNumber(readout, locale)));
    Label1[0]->setText(readout);
    // The point, unlike the readout, follows the unrounded angle.
    Label1[1]->setText(compassPoint(WindAngle));
}
