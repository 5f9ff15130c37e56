// SPDX-License-Identifier: MIT
#include "historyaddon.h"

#include "historymenu.h"
#include "messages.h"

#include "core/runwaywind.h"
#include "core/settingsfile.h"
#include "feed/windfeed.h"

#include <QDir>

HistoryAddOn::HistoryAddOn(const SettingsFile &settings, WindFeed &feed, QWidget &mainWindow)
    : m_settings(settings)
    , m_historyWindow(m_recorder)
{
    connectRecorder(feed, m_recorder);
    QObject::connect(
        &m_recorder, &WindRecorder::problem, &mainWindow, [&mainWindow](const QString &text) {
            showMessageWithoutWaiting(&mainWindow, applicationTitle(), text, MessageIcon::Error);
        });
    m_openAction = addWindHistoryAction(mainWindow, m_historyWindow);
}

HistoryAddOn::~HistoryAddOn() = default;

QStringList HistoryAddOn::start()
{
    QStringList problems = startDataLogFromSettings(m_recorder, m_settings);
    const RunwaySettings runways
        = readRunways(m_settings.readSection(QLatin1String(RunwaysSectionName)),
                      QDir::toNativeSeparators(m_settings.path()));
    m_historyWindow.setRunways(runways.runways);
    return problems << runways.problems;
}
