#include "windwindow.h"

#include "errorguard.h"
#include "portdialog.h"

#include "core/settingsfile.h"
#include "core/windsettings.h"
#include "platform/serialcontrol.h"
#include "widgets/gaugewidget.h"

#include <QCloseEvent>
#include <QDir>
#include <QPushButton>
#include <QTimer>

WindWindow::WindWindow(SettingsFile &settings, std::unique_ptr<SerialControl> serial,
                       QWidget *parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_serial(std::move(serial))
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
    // The hidden button, the rejected-frame timer and the frame timeout timer
    // have no actions: only their states change.

    // At 9600 baud a character takes about a millisecond: twenty of them
    // without a byte mean the sensor has finished its frame.
    m_lineSilenceTimer = new QTimer(this);
    m_lineSilenceTimer->setSingleShot(true);
    m_lineSilenceTimer->setInterval(20);
    connect(m_lineSilenceTimer, &QTimer::timeout, this, [this] { m_lineWentQuiet = true; });
}

WindWindow::~WindWindow() = default;

void WindWindow::readSettings()
{
    ensureWindSettingsFile(m_settings);
    // The serial control refuses numbers that name no port.
    const WindSettings stored
        = readWindSettings(m_settings, [this](qint16 port) { m_serial->setPortNumber(port); });
    m_state.exampleModeOn = stored.exampleModeOn;
    m_state.directionDegrees = stored.directionDegrees;
    m_state.speedMetresPerSecond = stored.speedMetresPerSecond;
}

void WindWindow::start()
{
    m_state.running = true;
    // The movies are named after the working directory, not the executable's
    // folder; the gauges are built in, so the files need not exist.
    m_controls.compassGauge->loadMovie(
        0, QDir::toNativeSeparators(QDir::currentPath() + QStringLiteral("/compass2.swf")));
    m_controls.clockGauge->loadMovie(
        0, QDir::toNativeSeparators(QDir::currentPath() + QStringLiteral("/clock/clock106.swf")));
    if (m_state.exampleModeOn) {
        m_controls.exampleTimer->start();
        m_controls.exampleModeButton->setText(QStringLiteral("Stop Example Mode"));
        emit exampleModeChanged(true);
    }
    refreshDisplay();
}

int WindWindow::portNumber() const
{
    return m_serial->portNumber();
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
                      {m_serial->portNumber(), m_state.exampleModeOn, m_state.directionDegrees,
                       m_state.speedMetresPerSecond});
    m_state.running = false;
    releasePortDialog();
}

void WindWindow::closeEvent(QCloseEvent *event)
{
    guarded([this] { saveSettings(); });
    event->accept();
}

void WindWindow::openPortDialog()
{
    if (!m_portDialog)
        m_portDialog = std::make_unique<PortDialog>(*m_serial, this);
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
