#include "historyaddon.h"

#include "historymenu.h"
#include "messages.h"
#include "windwindow.h"

#include "platform/portdevice.h"

HistoryAddOn::HistoryAddOn(WindWindow &window, const SettingsFile &settings)
    : m_settings(settings)
    , m_historyWindow(m_recorder)
{
    connectRecorder(window, m_recorder,
                    [&settings](int port) { return deviceForPort(settings, port); });
    QObject::connect(&m_recorder, &WindRecorder::problem, &window, [&window](const QString &text) {
        showMessageWithoutWaiting(&window, applicationTitle(), text, MessageIcon::Error);
    });
    m_openAction = addWindHistoryAction(window, m_historyWindow);
}

void HistoryAddOn::startDataLog()
{
    startDataLogFromSettings(m_recorder, m_settings);
}
