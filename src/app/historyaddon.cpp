// SPDX-License-Identifier: MIT
#include "historyaddon.h"

#include "historymenu.h"
#include "messages.h"
#include "windinput.h"
#include "windwindow.h"

HistoryAddOn::HistoryAddOn(WindWindow &window, const SettingsFile &settings, const WindInput *input)
    : m_settings(settings)
    , m_historyWindow(m_recorder)
{
    if (!input) {
        m_sensorInput = std::make_unique<WindInput>(settings);
        input = m_sensorInput.get();
    }
    connectRecorder(window, m_recorder, [input](int port) { return input->recordedSource(port); });
    QObject::connect(&m_recorder, &WindRecorder::problem, &window, [&window](const QString &text) {
        showMessageWithoutWaiting(&window, applicationTitle(), text, MessageIcon::Error);
    });
    m_openAction = addWindHistoryAction(window, m_historyWindow);
}

HistoryAddOn::~HistoryAddOn() = default;

void HistoryAddOn::startDataLog()
{
    startDataLogFromSettings(m_recorder, m_settings);
}
