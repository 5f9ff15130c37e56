// SPDX-License-Identifier: MIT
#include "alarmlist.h"

#include "core/windalarmtext.h"

#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

namespace {
void setText(QLabel *label, const QString &text)
{
    // Unchanged texts are not set again: a label that is set lays out anew.
    if (label->text() != text)
        label->setText(text);
}
} // namespace

AlarmList::AlarmList(SpeedUnit unit, QWidget *parent)
    : QGroupBox(QStringLiteral("Alarms"), parent)
    , m_unit(unit)
{
    auto *grid = new QGridLayout(this);
    m_none = new QLabel(QStringLiteral("No alarm raised"), this);
    grid->addWidget(m_none, 0, 0, 1, 5);
    for (int kind = 0; kind < windAlarmKindCount; ++kind) {
        Line &line = m_lines[size_t(kind)];
        line.title = new QLabel(this);
        line.raisedAt = new QLabel(this);
        line.value = new QLabel(this);
        line.state = new QLabel(this);
        line.acknowledge = new QPushButton(QStringLiteral("Acknowledge"), this);
        int column = 0;
        for (QWidget *part : std::initializer_list<QWidget *>{line.title, line.raisedAt, line.value,
                                                              line.state, line.acknowledge}) {
            grid->addWidget(part, kind + 1, column++);
            part->hide();
        }
        connect(line.acknowledge, &QPushButton::clicked, this,
                [this, kind] { emit acknowledgeRequested(WindAlarmKind(kind)); });
    }
    grid->setColumnStretch(0, 1);
}

void AlarmList::showAlarms(const std::vector<RaisedWindAlarm> &raised,
                           const std::array<QDateTime, windAlarmKindCount> &raisedAt)
{
    const QLocale locale;
    std::array<bool, windAlarmKindCount> shown{};
    for (const RaisedWindAlarm &alarm : raised) {
        const auto kind = size_t(alarm.kind);
        Line &line = m_lines[kind];
        shown[kind] = true;
        const QString title = windAlarmTitle(alarm.kind, alarm.threshold, m_unit, locale);
        setText(line.title, title);
        setText(line.raisedAt,
                QStringLiteral("raised %1").arg(raisedAt[kind].time().toString(u"HH:mm:ss")));
        setText(line.value, windAlarmValueText(alarm.kind, alarm.value, m_unit, locale));
        setText(line.state,
                alarm.acknowledged ? QStringLiteral("acknowledged")
                                   : QStringLiteral("not acknowledged"));
        line.acknowledge->setEnabled(!alarm.acknowledged);
        line.acknowledge->setAccessibleName(QStringLiteral("Acknowledge %1").arg(title));
    }
    for (size_t kind = 0; kind < m_lines.size(); ++kind) {
        const Line &line = m_lines[kind];
        for (QWidget *part : std::initializer_list<QWidget *>{line.title, line.raisedAt, line.value,
                                                              line.state, line.acknowledge})
            part->setVisible(shown[kind]);
    }
    m_none->setVisible(raised.empty());
}
