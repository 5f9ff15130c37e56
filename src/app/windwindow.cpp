// SPDX-License-Identifier: MIT
#include "windwindow.h"

#include "errorguard.h"
#include "messages.h"
#include "portdialog.h"

#include "core/apperror.h"
#include "core/settingsfile.h"
#include "core/windsettings.h"
#include "widgets/clockwidget.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QTimer>

WindWindow::WindWindow(SettingsFile &settings, WindFeed &feed, QWidget *parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_feed(feed)
    , m_controls(buildWindWindowLayout(this))
{
    nameWindWindowControls(m_controls, m_feed);

    connect(m_controls.listenButton, &QPushButton::clicked, this,
            [this] { guarded([this] { m_feed.toggleListening(); }); });
    connect(m_controls.exampleModeButton, &QPushButton::clicked, this,
            [this] { guarded([this] { m_feed.toggleExampleMode(); }); });
    connect(m_controls.portButton, &QPushButton::clicked, this,
            [this] { guarded([this] { openPortDialog(); }); });
    // The hidden button has no action.

    connect(&m_feed, &WindFeed::readingShown, this, &WindWindow::showReading);
    connect(&m_feed, &WindFeed::frameRejected, this, &WindWindow::clearSpeedReadouts);
    connect(&m_feed, &WindFeed::stateChanged, this, &WindWindow::showState);
    connect(&m_feed, &WindFeed::stalenessChanged, this, &WindWindow::showStaleness);
    connect(&m_feed, &WindFeed::halted, this, &WindWindow::tellHalt);
    connect(&m_feed, &WindFeed::windDescriptionChanged, this, &WindWindow::describeCompass);
    connect(m_controls.clockGauge, &ClockWidget::secondTicked, this,
            &WindWindow::describeStaleReadouts);
}

WindWindow::~WindWindow() = default;

void WindWindow::readSettings()
{
    ensureWindSettingsFile(m_settings);
    qint16 portNumber = 0;
    const WindSettings stored = readWindSettings(m_settings, [&portNumber](qint16 port) {
        if (port < 1)
            throw AppError(AppError::Kind::SerialError,
                           QStringLiteral("Serial port %1: invalid port number").arg(port));
        portNumber = port;
    });
    m_feed.restore(stored.directionDegrees, stored.speedMetresPerSecond, portNumber,
                   stored.exampleModeOn);
}

void WindWindow::start()
{
    m_feed.start();
}

void WindWindow::saveSettings()
{
    if (m_settingsSaved)
        return;
    m_settingsSaved = true;
    writeWindSettings(m_settings,
                      {qint16(m_feed.portNumber()), m_feed.isExampleModeOn(),
                       m_feed.directionDegrees(), m_feed.speedMetresPerSecond()});
    emit savingSettings();
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
    m_feed.shutDown();
    event->accept();
}

void WindWindow::openPortDialog()
{
    if (!m_portDialog)
        m_portDialog = std::make_unique<PortDialog>(m_feed, this);
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

void WindWindow::showState(WindFeed::State state)
{
    const bool listening = state == WindFeed::State::Listening || state == WindFeed::State::Halted;
    // Once listening has stopped, the button's dots are gone for good.
    if (listening)
        m_controls.listenButton->setText(QStringLiteral("Stop listening Serial Port"));
    else if (m_showsListening)
        m_controls.listenButton->setText(QStringLiteral("Start Listening Serial Port"));
    m_showsListening = listening;
    m_controls.portButton->setEnabled(!listening);
    m_controls.exampleModeButton->setText(state == WindFeed::State::ExampleMode
                                              ? QStringLiteral("Stop Example Mode")
                                              : QStringLiteral("Start Example Mode"));
}

void WindWindow::tellHalt(const AppError &error)
{
    showMessage(this, applicationTitle(), QStringLiteral("Error ") + error.description(),
                MessageIcon::Error);
}
