// Live sensor input: a loop that runs inside the listen button's click
// handler, takes frames from the serial control and yields to the event
// loop once a pass.

#include "platform/serialcontrol.h"
#include "sensorframe.h"
#include "shell/frmmain.h"
#include "shell/messages.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace {
void enableTimer(QTimer *timer)
{
    if (!timer->isActive())
        timer->start();
}
} // namespace

void frmMain::Command1_Click()
{
    if (ExampleModeOn) {
        // The example-mode timer stops itself at its next tick.
        ExampleModeOn = false;
        Command3->setText(QStringLiteral("Start Example Mode"));
    }
    ListenSerialPort();
}

void frmMain::ListenSerialPort()
{
    if (ListeningActive) {
        StopListening();
        return;
    }
    ListeningActive = true;
    Command1->setText(QStringLiteral("Stop listening Serial Port"));
    Command4->setEnabled(false);
    comSerial1().setInputLen(0);
    QString receiveBuffer;
    m_largestReceiveBuffer = 0;
    m_lineSilenceTimer->stop();
    m_lineWentQuiet = false;
    NewDataPending = false;

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
        if (!AppRunning) {
            releasePortDialog();
            return;
        }
        if (!ListeningActive) {
            StopListening();
            return;
        }
    }
}

bool frmMain::listenPass(QString &receiveBuffer)
{
    SerialControl &serial = comSerial1();
    if (!serial.PortOpen())
        serial.setPortOpen(true);

    bool received = false;
    if (serial.InBufferCount() > 0) {
        receiveBuffer += serial.Input();
        m_largestReceiveBuffer = std::max(m_largestReceiveBuffer, receiveBuffer.size());
        received = true;
        m_lineWentQuiet = false;
    }

    // A frame may also wait from an earlier read that brought two at once;
    // it is taken now rather than when the next character happens to arrive.
    bool tookFrame = false;
    if (receiveBuffer.contains(SensorFrameStart) && receiveBuffer.contains(SensorFrameEnd)) {
        receiveBuffer += serial.Input();
        m_largestReceiveBuffer = std::max(m_largestReceiveBuffer, receiveBuffer.size());
        const SensorLine line = m_lineWentQuiet ? SensorLine::Quiet : SensorLine::MayBringMore;
        if (const std::optional<SensorFrame> frame = ExtractSensorFrame(receiveBuffer, line)) {
            NewDataPending = true;
            receiveBuffer = frame->newBuffer;
            tookFrame = true;
            applySensorFrame(frame->payload, frame->checksumText);
        }
    }
    TrimReceiveBuffer(receiveBuffer);
    awaitLineSilence(receiveBuffer, received);

    if (NewDataPending) {
        RefreshDisplay();
        NewDataPending = false;
    }
    return received || tookFrame;
}

void frmMain::awaitLineSilence(const QString &receiveBuffer, bool received)
{
    // The timer runs from the last byte received; it costs nothing while no
    // frame waits on a lone checksum digit.
    if (!AwaitsSecondChecksumDigit(receiveBuffer)) {
        m_lineSilenceTimer->stop();
        m_lineWentQuiet = false;
    } else if (received || (!m_lineSilenceTimer->isActive() && !m_lineWentQuiet)) {
        m_lineSilenceTimer->start();
    }
}

void frmMain::applySensorFrame(const QString &payload, const QString &checksumText)
{
    if (VerifySensorChecksum(payload, checksumText) == SensorChecksumVerdict::Mismatch) {
        // A frame that fails its check is rejected: the readouts are blanked,
        // and its values reach neither the state nor the settings file. Its
        // fields are still read, so a malformed frame fails as any other.
        enableTimer(Timer2);
        ClearSpeedReadouts();
        ReadSensorField(payload, 1);
        ReadSensorField(payload, 2);
    } else {
        Timer2->stop();
        if (const std::optional<double> direction = ReadSensorField(payload, 1))
            WindAngle = *direction;
        if (const std::optional<double> speed = ReadSensorField(payload, 2))
            WindSpeed = *speed;
    }
    SerialPortTimer->stop();
    SerialPortTimer->start();
}

void frmMain::StopListening()
{
    ListeningActive = false;
    Command1->setText(QStringLiteral("Start Listening Serial Port"));
    Command4->setEnabled(true);
    if (comSerial1().PortOpen())
        comSerial1().setPortOpen(false);
    SerialPortTimer->stop();
}
