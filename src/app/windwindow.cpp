// SPDX-License-Identifier: MIT
#include "windwindow.h"

#include "errorguard.h"
#include "portdialog.h"

#include "core/apperror.h"
#include "core/settingsfile.h"
#include "core/windsettings.h"
#include "platform/windlink.h"
#include "widgets/clockwidget.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QTimer>

WindWindow::WindWindow(SettingsFile &settings, LinkFactory makeLink, QWidget *parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_makeLink(std::move(makeLink))
    , m_controls(buildWindWindowLayout(this))
{
    nameWindWindowControls(m_controls);

    connect(m_controls.listenButton, &QPushButton::clicked, this,
            [this] { guarded([this] { toggleListening(); }); });
    connect(m_controls.exampleModeButton, &QPushButton::clicked, this,
            [this] { guarded([this] { toggleExampleMode(); }); });
    connect(m_controls.portButton, &QPushButton::clicked, this,
            [this] { guarded([this] { openPortDialog(); }); });
    connect(m_controls.exampleTimer, &QTimer::timeout, this,
            [this] { guarded([this] { exampleTick(); }); });
    connect(m_controls.staleTimer, &QTimer::timeout, this, &WindWindow::markStale);
    connect(m_controls.clockGauge, &ClockWidget::secondTicked, this,
            &WindWindow::describeStaleReadouts);
    // The hidden button has no action.
}

WindWindow::~WindWindow() = default;

void WindWindow::readSettings()
{
    ensureWindSettingsFile(m_settings);
    const WindSettings stored = readWindSettings(m_settings, [this](qint16 port) {
        if (port < 1)
            throw AppError(AppError::Kind::SerialError,
                           QStringLiteral("Serial port %1: invalid port number").arg(port));
        m_state.portNumber = port;
    });
    m_state.exampleModeOn = stored.exampleModeOn;
    m_state.directionDegrees = stored.directionDegrees;
    m_state.speedMetresPerSecond = stored.speedMetresPerSecond;
}

void WindWindow::start()
{
    m_state.running = true;
    if (m_state.exampleModeOn) {
        m_controls.exampleTimer->start();
        m_controls.exampleModeButton->setText(QStringLiteral("Stop Example Mode"));
        emit exampleModeChanged(true);
    }
    refreshDisplay();
}

void WindWindow::announceSample(WindSource source)
{
    emit sampleAccepted(
        {monotonicMilliseconds(), m_state.directionDegrees, m_state.speedMetresPerSecond}, source);
}

void WindWindow::saveSettings()
{
    if (m_settingsSaved)
        return;
    m_settingsSaved = true;
    writeWindSettings(m_settings,
                      {m_state.portNumber, m_state.exampleModeOn, m_state.directionDegrees,
                       m_state.speedMetresPerSecond});
    emit savingSettings();
    m_state.running = false;
    releasePortDialog();
}

void WindWindow::setColourScheme(ColourScheme scheme)
{
    m_colourScheme = scheme;
    colourWindWindow(m_controls, scheme);
    colourValueReadouts();
}

void WindWindow::closeEvent(QCloseEvent *event)
{
    guarded([this] { saveSettings(); });
    // Reading ends with the window, without the steps of a stop click.
    closeLink();
    event->accept();
}

void WindWindow::openPortDialog()
{
    if (!m_portDialog)
        m_portDialog = std::make_unique<PortDialog>(m_state.portNumber, this);
    m_portDialog->showModal();
}

void WindWindow::releasePortDialog()
{
    // The dialog may be open right now, its modal loop further down the call
    // stack (a close request from the system while it is shown): end that
    // loop and let the event loop delete it once it has returned.
    if (PortDialog *dialog = m_portDialog.release()) {
        dialog->done(QDialog::Rejected);
        dialog->deleteLater();
    }
}
