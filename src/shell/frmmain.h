#pragma once

#include "shell/controlarray.h"

#include <QWidget>

#include <functional>
#include <memory>

class BarLabel;
class FrameBox;
class Form1;
class GaugeWidget;
class Module1;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class SerialControl;

// The main window. It owns the wind state, the four mode flags and every
// control; the routines that turn the state into the display live in
// display/, the data sources in sources/, and this class only wires them.
class frmMain : public QWidget
{
    Q_OBJECT

public:
    frmMain(Module1 &settings, std::unique_ptr<SerialControl> serial, QWidget *parent = nullptr);
    ~frmMain() override;

    // State, in the order the design lists it; all zero until initialised.
    double WindAngle = 0;
    double WindSpeed = 0;
    bool ListeningActive = false;
    bool NewDataPending = false;
    bool ExampleModeOn = false;
    bool AppRunning = false;

    // Start-up: reads the settings (throws AppError when a value is missing or
    // does not convert), then loads the movies, starts example mode if it is
    // on and refreshes once.
    void Form_Initialize();
    void Form_Load();
    // Writes the four settings back; failures are ignored so closing is never
    // refused.
    void Form_Unload();

    void EnsureSettingsFile();
    void RefreshDisplay();
    void ShowDirection();
    void ShowSpeed();
    void ClearSpeedReadouts();

    // Data sources.
    void Command1_Click();
    void ListenSerialPort();
    void StopListening();
    void Command3_Click();
    void Timer1_Timer();
    void SimulateStep();
    void Command4_Click();

    // Controls, named and indexed as the design names them.
    ControlArray<QLabel> Label1{QStringLiteral("Label1")};
    ControlArray<QLabel> Label2{QStringLiteral("Label2")};
    ControlArray<QLabel> Label4{QStringLiteral("Label4")};
    ControlArray<BarLabel> Label5{QStringLiteral("Label5")};
    ControlArray<QLineEdit> Text1{QStringLiteral("Text1")};
    ControlArray<FrameBox> Frame1{QStringLiteral("Frame1")};
    FrameBox *Frame2 = nullptr;
    FrameBox *Frame3 = nullptr;
    FrameBox *Frame4 = nullptr;
    FrameBox *Frame5 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QTimer *Timer1 = nullptr;
    QTimer *Timer2 = nullptr;
    QTimer *SerialPortTimer = nullptr;
    GaugeWidget *ShockwaveFlash1 = nullptr;
    GaugeWidget *ShockwaveFlash2 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Image2 = nullptr;

    // How the listening loop yields once a pass. The default processes every
    // pending event and, after a pass that found nothing to do, sleeps until
    // the next event arrives.
    using ListeningYield = std::function<void(bool passDidWork)>;
    void setListeningYield(ListeningYield yield) { m_listeningYield = std::move(yield); }
    // The most characters the listening loop's receive buffer has held since
    // listening last started, for measurements.
    qsizetype largestReceiveBuffer() const { return m_largestReceiveBuffer; }

    SerialControl &comSerial1() const { return *m_serial; }
    Module1 &settings() const { return m_settings; }
    // The port dialog, created on first use and released at unload.
    Form1 *portDialog() const { return m_portDialog.get(); }

signals:
    // Emitted at the end of every RefreshDisplay, for measurements.
    void displayRefreshed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // One pass of the listening loop; true when it received or took
    // something, so the next pass should not wait for an event.
    bool listenPass(QString &receiveBuffer);
    void applySensorFrame(const QString &payload, const QString &checksumText);
    void awaitLineSilence(const QString &receiveBuffer, bool received);
    void buildLayout();
    void connectHandlers();
    void releasePortDialog();

    Module1 &m_settings;
    std::unique_ptr<SerialControl> m_serial;
    std::unique_ptr<Form1> m_portDialog;
    ListeningYield m_listeningYield;
    // Started when a frame's checksum has one digit so far; when it fires,
    // the line has been quiet long enough that no second digit is coming.
    QTimer *m_lineSilenceTimer = nullptr;
    bool m_lineWentQuiet = false;
    qsizetype m_largestReceiveBuffer = 0;
    bool m_unloaded = false;
};
