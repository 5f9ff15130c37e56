// SPDX-License-Identifier: MIT
#pragma once

#include "core/windalarms.h"

#include <QDateTime>
#include <QGroupBox>

#include <array>
#include <vector>

class QLabel;
class QPushButton;

// The raised wind alarms, as the history window lists them: what each
// watches for, when it was raised (local time), its figure now, whether the
// user has acknowledged it, and a button that acknowledges it. "No alarm
// raised" when none is.
class AlarmList : public QGroupBox
{
    Q_OBJECT

public:
    explicit AlarmList(SpeedUnit unit, QWidget *parent = nullptr);

    // raisedAt holds the wall-clock time of each alarm's raise, by kind.
    void showAlarms(const std::vector<RaisedWindAlarm> &raised,
                    const std::array<QDateTime, windAlarmKindCount> &raisedAt);

signals:
    void acknowledgeRequested(WindAlarmKind kind);

private:
    // One line for each kind of alarm, hidden while it is not raised.
    struct Line
    {
        QLabel *title = nullptr; // "Gust above 35 kn"
        QLabel *raisedAt = nullptr; // "14:03:12"
        QLabel *value = nullptr; // "36.1 kn"
        QLabel *state = nullptr; // "not acknowledged" or "acknowledged"
        QPushButton *acknowledge = nullptr;
    };

    SpeedUnit m_unit;
    std::array<Line, windAlarmKindCount> m_lines;
    QLabel *m_none = nullptr; // "No alarm raised"
};
