// SPDX-License-Identifier: MIT
#include "core/windalarmtext.h"

#include "core/numberformat.h"
#include "core/windstatisticstext.h"

#include <QLocale>
#include <QStringList>

#include <cmath>

namespace {

// A speed to a tenth and no more digits than it needs, so that a threshold
// written "35" reads "35", not "35.0".
QString speedFigure(double value, const QLocale &locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(std::round(value * 10) / 10, 'f', QLocale::FloatingPointShortest);
}

} // namespace

QString windAlarmValueText(WindAlarmKind kind, double value, SpeedUnit unit, const QLocale &locale)
{
    switch (windAlarmMeasure(kind)) {
    case WindAlarmMeasure::MetresPerSecond:
        return speedFigure(windAlarmFigureInUnit(kind, value, unit), locale) + u' '
            + unitSymbol(unit);
    case WindAlarmMeasure::Degrees:
        return formatWhole(value, locale) + u'°';
    case WindAlarmMeasure::Seconds:
        break;
    }
    return formatWhole(value, locale) + QStringLiteral(" s");
}

QString windAlarmTitle(WindAlarmKind kind, double threshold, SpeedUnit unit, const QLocale &locale)
{
    const QString figure = windAlarmValueText(kind, threshold, unit, locale);
    switch (kind) {
    case WindAlarmKind::MeanSpeed:
        return QStringLiteral("Mean speed above %1").arg(figure);
    case WindAlarmKind::Gust:
        return QStringLiteral("Gust above %1").arg(figure);
    case WindAlarmKind::Shift:
        return QStringLiteral("Wind shift over %1").arg(figure);
    case WindAlarmKind::NoReading:
        break;
    }
    return QStringLiteral("No reading for %1").arg(figure);
}

QString windAlarmsDescription(const std::vector<RaisedWindAlarm> &raised, SpeedUnit unit,
                              const QLocale &locale)
{
    QStringList parts;
    for (const RaisedWindAlarm &alarm : raised)
        parts << QStringLiteral("%1: %2, %3")
                     .arg(windAlarmTitle(alarm.kind, alarm.threshold, unit, locale),
                          windAlarmValueText(alarm.kind, alarm.value, unit, locale),
                          alarm.acknowledged ? QStringLiteral("acknowledged")
                                             : QStringLiteral("not acknowledged"));
    if (parts.isEmpty())
        return {};
    return (parts.size() == 1 ? QStringLiteral("Wind alarm: ") : QStringLiteral("Wind alarms: "))
        + parts.join(QStringLiteral("; ")) + u'.';
}
