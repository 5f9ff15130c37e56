// SPDX-License-Identifier: MIT
#include "nightcolours.h"

#include "historywindow.h"
#include "messages.h"
#include "windwindow.h"

#include "core/viewsettings.h"

#include <QAction>
#include <QApplication>
#include <QStyle>
#include <QTimer>
#include <QWidget>

namespace {
constexpr int ClockCheckMs = 60 * 1000;
} // namespace

NightColours::NightColours(SettingsFile &settings, WindWindow &window, HistoryWindow &history,
                           bool nightRequested, TimeOfDay timeOfDay, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_settings(settings)
    , m_history(history)
    , m_timeOfDay(std::move(timeOfDay))
    , m_nightRequested(nightRequested)
{
    // Beside "Wind History…" in the window's context menu, which shows the
    // window's actions in the order they were added.
    m_action = new QAction(QStringLiteral("Night Colours"), &window);
    m_action->setCheckable(true);
    m_action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    m_action->setShortcutContext(Qt::WindowShortcut);
    window.addAction(m_action);
    connect(m_action, &QAction::triggered, this, &NightColours::setNight);

    m_clockTimer = new QTimer(this);
    m_clockTimer->setInterval(ClockCheckMs);
    connect(m_clockTimer, &QTimer::timeout, this, &NightColours::checkClock);
    connect(&window, &WindWindow::savingSettings, this, [this] {
        if (m_switch)
            writeNightSetting(m_settings, m_switch->isNight());
    });
}

// The application's own state goes back to day colours with its switch; the
// windows may be gone already.
NightColours::~NightColours()
{
    if (m_shown != ColourScheme::Night)
        return;
    QApplication::setPalette(QApplication::style()->standardPalette());
    setMessageColourScheme(ColourScheme::Day);
}

QStringList NightColours::start()
{
    const ViewSettings view = readViewSettings(m_settings);
    m_switch.emplace(view.config.night, view.config.schedule);
    m_switch->checkClock(m_timeOfDay());
    if (m_nightRequested)
        m_switch->setByUser(true);
    if (view.config.schedule)
        m_clockTimer->start();
    show();
    return view.problems;
}

bool NightColours::isNight() const
{
    return m_switch && m_switch->isNight();
}

void NightColours::setNight(bool night)
{
    if (!m_switch)
        return;
    m_switch->setByUser(night);
    show();
}

void NightColours::checkClock()
{
    if (m_switch && m_switch->checkClock(m_timeOfDay()))
        show();
}

void NightColours::show()
{
    const ColourScheme scheme = isNight() ? ColourScheme::Night : ColourScheme::Day;
    m_action->setChecked(scheme == ColourScheme::Night);
    if (m_shown == scheme)
        return;
    // Day colours at the first showing are already there: nothing is
    // painted twice at start.
    const bool first = !m_shown;
    m_shown = scheme;
    if (first && scheme == ColourScheme::Day)
        return;
    QApplication::setPalette(
        scheme == ColourScheme::Night ? nightPalette() : QApplication::style()->standardPalette());
    // Qt hands the new palette to windows through their platform windows: a
    // window never shown yet (the history window) has none and would keep
    // the old colours when it first opens.
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->windowHandle()) {
            QEvent change(QEvent::ApplicationPaletteChange);
            QCoreApplication::sendEvent(window, &change);
        }
    }
    setMessageColourScheme(scheme);
    m_window.setColourScheme(scheme);
    m_history.setColourScheme(scheme);
}
