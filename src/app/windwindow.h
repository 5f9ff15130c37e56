#pragma once

// The main window: it holds the current wind and the mode flags, and wires
// the data sources to the display. Its parts live in files of their own:
//
//   windwindow.cpp             start-up, closing, the settings, the port dialog
//   windwindow_layout.cpp      every control at its place, and its name for a
//                              widget inspector (windwindowcontrols.h)
//   windwindow_display.cpp     the wind state turned into readouts, bars and texts
//   windwindow_listening.cpp   the listening loop that takes frames from the sensor
//   windwindow_examplemode.cpp the random walk that stands in for a sensor
//
// Pure rules (formats, Beaufort, frames, settings) live in core/, the serial
// control in platform/, the painted gauges and labels in widgets/.

#include "windwindowcontrols.h"

#include "core/windsample.h"

#include <QWidget>

#include <functional>
#include <memory>

class PortDialog;
class SerialControl;
class SettingsFile;

class WindWindow : public QWidget
{
    Q_OBJECT

public:
    WindWindow(SettingsFile &settings, std::unique_ptr<SerialControl> serial,
               QWidget *parent = nullptr);
    ~WindWindow() override;

    // Creates the settings file when it is missing and reads the example
    // mode, the direction, the speed and the port number from it. Throws
    // AppError naming the setting when a value is missing or does not
    // convert; nothing is shown then.
    void readSettings();
    // Loads the gauges, starts example mode if it is on and refreshes once,
    // so the window shows the stored wind before it is first shown.
    void start();
    // True from start() until the window closes.
    bool isRunning() const { return m_state.running; }

    double windDirection() const { return m_state.directionDegrees; }
    double windSpeed() const { return m_state.speedMetresPerSecond; }
    bool isListening() const { return m_state.listening; }
    bool isExampleModeOn() const { return m_state.exampleModeOn; }
    // The serial port that listening opens.
    int portNumber() const;

    // How the listening loop yields once a pass. The default processes every
    // pending event and, after a pass that found nothing to do, sleeps until
    // the next event arrives.
    using ListeningYield = std::function<void(bool passDidWork)>;
    void setListeningYield(ListeningYield yield) { m_listeningYield = std::move(yield); }
    // The most characters the listening loop's receive buffer has held since
    // listening last started, for measurements.
    qsizetype largestReceiveBuffer() const { return m_largestReceiveBuffer; }

public slots:
    // The three buttons' actions. toggleListening() runs the listening loop
    // and returns only when it has ended.
    void toggleListening();
    void toggleExampleMode();
    void openPortDialog();

signals:
    // Emitted at the end of every refresh of the display.
    void displayRefreshed();
    // A reading was accepted and shown: a sensor frame whose checksum
    // matched, or a step of example mode. The sample holds the direction and
    // speed as the display corrected them.
    void sampleAccepted(const WindSample &sample, WindSource source);
    // A sensor frame failed its checksum; nothing of it was stored.
    void frameRejected();
    // Listening to the sensor started or stopped.
    void listeningChanged(bool listening);
    // Example mode was switched on or off.
    void exampleModeChanged(bool on);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    friend class WindowFixture;

    // The wind and the modes; all zero until the settings are read.
    struct State
    {
        double directionDegrees = 0;
        double speedMetresPerSecond = 0;
        bool listening = false; // the loop runs, or is asked to keep running
        bool refreshPending = false; // this pass took a frame that passed its check
        bool exampleModeOn = false;
        bool running = false; // started and not yet closing
    };

    void saveSettings();
    void releasePortDialog();

    // The only way the state reaches the display: direction, then speed.
    void refreshDisplay();
    void showDirection();
    void showSpeed();
    void clearSpeedReadouts();

    void runListeningLoop();
    bool listenPass(QString &receiveBuffer);
    void applySensorFrame(const QString &payload, const QString &checksumText);
    void awaitLineSilence(const QString &receiveBuffer, bool received);
    void stopListening();

    void exampleTick();
    void stepExampleWalk();
    void setExampleModeOn(bool on);

    // Tells the listeners that the state just shown is a new reading.
    void announceSample(WindSource source);

    SettingsFile &m_settings;
    std::unique_ptr<SerialControl> m_serial;
    WindWindowControls m_controls;
    State m_state;
    std::unique_ptr<PortDialog> m_portDialog; // created on first use, released at close
    ListeningYield m_listeningYield;
    qsizetype m_largestReceiveBuffer = 0;
    // Started when a frame's checksum has one digit so far; when it fires,
    // the line has been quiet long enough that no second digit is coming.
    QTimer *m_lineSilenceTimer = nullptr;
    bool m_lineWentQuiet = false;
    bool m_settingsSaved = false;
};
