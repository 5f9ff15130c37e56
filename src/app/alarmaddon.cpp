// SPDX-License-Identifier: MIT
#include "alarmaddon.h"

#include "alarmlist.h"
#include "historyaddon.h"
#include "messages.h"

#include "core/windalarmtext.h"

#include <QLocale>
#include <QShortcut>

#include <algorithm>

AlarmAddOn::AlarmAddOn(const SettingsFile &settings, WindFeed &feed, QWidget &mainWindow,
                       ShowOnCompass showOnCompass, HistoryAddOn &history,
                       AlarmMonitor::Clock clock, std::optional<QDBusConnection> bus,
                       QObject *parent)
    : QObject(parent)
    , m_mainWindow(mainWindow)
    , m_showOnCompass(std::move(showOnCompass))
    , m_history(history)
    , m_monitor(settings, feed, history.recorder(), std::move(clock), std::move(bus))
{ }

AlarmAddOn::~AlarmAddOn() = default;

QStringList AlarmAddOn::start()
{
    const QStringList problems = m_monitor.start();
    if (!m_monitor.isOn())
        return problems;

    connect(&m_monitor, &AlarmMonitor::problem, this, [this](const QString &message) {
        showMessageWithoutWaiting(&m_mainWindow, applicationTitle(), message, MessageIcon::Error);
    });
    m_list = new AlarmList(m_monitor.config().unit);
    m_history.historyWindow().addSection(m_list);
    connect(m_list, &AlarmList::acknowledgeRequested, &m_monitor, &AlarmMonitor::acknowledge);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), &m_mainWindow);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, &m_monitor, &AlarmMonitor::acknowledgeAll);
    connect(&m_monitor, &AlarmMonitor::alarmsChanged, this, &AlarmAddOn::showAlarms);
    showAlarms();
    return problems;
}

void AlarmAddOn::showAlarms()
{
    const std::vector<RaisedWindAlarm> raised = m_monitor.raisedAlarms();
    CompassWidget::Ring ring = CompassWidget::Ring::Off;
    if (!raised.empty())
        ring = std::all_of(raised.begin(), raised.end(),
                           [](const RaisedWindAlarm &alarm) { return alarm.acknowledged; })
            ? CompassWidget::Ring::Steady
            : CompassWidget::Ring::Blinking;
    m_showOnCompass(ring, windAlarmsDescription(raised, m_monitor.config().unit, QLocale()));
    m_list->showAlarms(raised, m_monitor.raisedAt());
}
