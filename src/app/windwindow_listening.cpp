// Live sensor input: a loop that runs inside the listen button's click
// handler, takes frames from the serial control and yields to the event
// loop once a pass.

#include "windwindow.h"

#include "messages.h"

#include "core/apperror.h"
#include "core/sensorframe.h"
#include "platform/serialcontrol.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {
void enableTimer(QTimer *timer)
{
    if (!timer->isActive())
        timer->start();
}
} // namespace

void WindWindow::toggleListening()
{
    // The example-mode timer stops itself at its next tick.
    if (m_state.exampleModeOn)
        setExampleModeOn(false);
    runListeningLoop();
}

void WindWindow::runListeningLoop()
{
    if (m_state.listening) {
        stopListening();
        return;
    }
    m_state.listening = true;
    m_controls.listenButton->setText(QStringLiteral("Stop listening Serial Port"));
    m_controls.portButton->setEnabled(false);
    emit listeningChanged(true);
    m_serial->setInputLength(0);
    QString receiveBuffer;
    m_largestReceiveBuffer = 0;
    m_lineSilenceTimer->stop();
    m_lineWentQuiet = false;
    m_state.refreshPending = false;

    for (;;) {
        bool passDidWork = false;
        try {
            passDidWork = listenPass(receiveBuffer);
        } catch (const AppError &error) {
            // Halted: listening stays switched on until the next click.
            showMessage(this, applicationTitle(), QStringLiteral("Error ") + error.description(),
                        MessageIcon::Error);
            return;
        }
        // Every pending event runs here, nested: clicks, ticks, the port
        // dialog, the window's close. A pass that found nothing to do waits
        // for the next event (data on the port, a tick, a click) instead of
        // spinning, so a quiet line costs no CPU.
        if (m_listeningYield)
            m_listeningYield(passDidWork);
        else
            QCoreApplication::processEvents(passDidWork ? QEventLoop::AllEvents
                                                        : QEventLoop::WaitForMoreEvents);
        if (!m_state.running) {
            releasePortDialog();
            return;
        }
        if (!m_state.listening) {
            stopListening();
            return;
        }
    }
}

bool WindWindow::listenPass(QString &receiveBuffer)
{
    SerialControl &serial = *m_serial;
    if (!serial.isOpen())
        serial.setOpen(true);

    bool received = false;
    if (serial.waitingCount() > 0) {
        receiveBuffer += serial.takeInput();
        m_largestReceiveBuffer = std::max(m_largestReceiveBuffer, receiveBuffer.size());
        received = true;
        m_lineWentQuiet = false;
    }

    // A frame may also wait from an earlier read that brought two at once;
    // it is taken now rather than when the next character happens to arrive.
    bool tookFrame = false;
    if (receiveBuffer.contains(SensorFrameStart) && receiveBuffer.contains(SensorFrameEnd)) {
        receiveBuffer += serial.takeInput();
        m_largestReceiveBuffer = std::max(m_largestReceiveBuffer, receiveBuffer.size());
        const SensorLine line = m_lineWentQuiet ? SensorLine::Quiet : SensorLine::MayBringMore;
        if (const std::optional<SensorFrame> frame = extractSensorFrame(receiveBuffer, line)) {
            m_state.refreshPending = true;
            receiveBuffer = frame->newBuffer;
            tookFrame = true;
            applySensorFrame(frame->payload, frame->checksumText);
        }
    }
    trimReceiveBuffer(receiveBuffer);
    awaitLineSilence(receiveBuffer, received);

    if (m_state.refreshPending) {
        refreshDisplay();
        m_state.refreshPending = false;
        announceSample(WindSource::Sensor);
    }
    return received || tookFrame;
}

void WindWindow::awaitLineSilence(const QString &receiveBuffer, bool received)
{
    // The timer runs from the last byte received; it costs nothing while no
    // frame waits on a lone checksum digit.
    if (!awaitsSecondChecksumDigit(receiveBuffer)) {
        m_lineSilenceTimer->stop();
        m_lineWentQuiet = false;
    } else if (received || (!m_lineSilenceTimer->isActive() && !m_lineWentQuiet)) {
        m_lineSilenceTimer->start();
    }
}

void WindWindow::applySensorFrame(const QString &payload, const QString &checksumText)
{
    if (verifySensorChecksum(payload, checksumText) == SensorChecksumVerdict::Mismatch) {
        // A frame that fails its check is rejected: the readouts are blanked,
        // and its values reach neither the state nor the settings file. Its
        // fields are still read, so a malformed frame fails as any other.
        enableTimer(m_controls.rejectedFrameTimer);
        clearSpeedReadouts();
        readSensorField(payload, 1);
        readSensorField(payload, 2);
        emit frameRejected();
    } else {
        m_controls.rejectedFrameTimer->stop();
        if (const std::optional<double> direction = readSensorField(payload, 1))
            m_state.directionDegrees = *direction;
        if (const std::optional<double> speed = readSensorField(payload, 2))
            m_state.speedMetresPerSecond = *speed;
    }
    m_controls.frameTimeoutTimer->stop();
    m_controls.frameTimeoutTimer->start();
}

void WindWindow::stopListening()
{
    // A click while listening stops twice: here, and when the loop sees it.
    const bool wasListening = std::exchange(m_state.listening, false);
    m_controls.listenButton->setText(QStringLiteral("Start Listening Serial Port"));
    m_controls.portButton->setEnabled(true);
    if (m_serial->isOpen())
        m_serial->setOpen(false);
    m_controls.frameTimeoutTimer->stop();
    if (wasListening)
        emit listeningChanged(false);
}
