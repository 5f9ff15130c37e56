// SPDX-License-Identifier: MIT
#pragma once

// The main window: it holds the current wind and the mode flags, and wires
// the data sources to the display. Its parts live in files of their own:
//
//   windwindow.cpp             start-up, closing, the settings, the port dialog
//   windwindow_layout.cpp      every control at its place, its colours by day
//                              and at night, and its name for a widget
//                              inspector (windwindowcontrols.h)
//   windwindow_display.cpp     the wind state handed to the readouts, bars and
//                              texts, and the alarms to the compass
//   windwindow_listening.cpp   the live input: readings, rejections, failures,
//                              the stale mark
//   windwindow_examplemode.cpp the random walk that stands in for a sensor
//
// What the display shows is worked out in core (winddisplay.h); the input
// is a WindLink of platform/, read when its bytes arrive; the painted gauges
// and labels live in widgets/.

#include "windwindowcontrols.h"

#include "core/windsample.h"
#include "widgets/compasswidget.h"

#include <QElapsedTimer>
#include <QHash>
#include <QWidget>

#include <functional>
#include <memory>

class AppError;
class PortDialog;
class SettingsFile;
class WindLink;
struct WindDisplay;
struct WindReading;

class WindWindow : public QWidget
{
    Q_OBJECT

public:
    // Makes the input that listening reads, for the port number chosen at
    // that moment; called at every start of listening.
    using LinkFactory = std::function<std::unique_ptr<WindLink>(int portNumber)>;

    // No accepted reading for this long while listening marks the readouts
    // as old.
    static constexpr int StaleAfterMs = 10500;

    WindWindow(SettingsFile &settings, LinkFactory makeLink, QWidget *parent = nullptr);
    ~WindWindow() override;

    // Creates the settings file when it is missing and reads the example
    // mode, the direction, the speed and the port number from it. Throws
    // AppError naming the setting when a value is missing or does not
    // convert; nothing is shown then.
    void readSettings();
    // Starts example mode if it is on and refreshes once, so the window
    // shows the stored wind before it is first shown.
    void start();
    // True from start() until the window closes.
    bool isRunning() const { return m_state.running; }

    double windDirection() const { return m_state.directionDegrees; }
    double windSpeed() const { return m_state.speedMetresPerSecond; }
    bool isListening() const { return m_state.listening; }
    bool isExampleModeOn() const { return m_state.exampleModeOn; }
    // The serial port that listening opens.
    int portNumber() const { return m_state.portNumber; }
    // The input listening reads; null while not listening.
    WindLink *link() const { return m_link.get(); }
    // Listening, and no reading accepted for StaleAfterMs, or the line lost.
    bool areReadingsStale() const { return m_stale; }

    // The wind alarms as the compass shows them: its ring, and what it says
    // of them to a screen reader (empty with no alarm raised).
    void showAlarms(CompassWidget::Ring ring, const QString &description);
    // Every colour of the window, its gauges and readouts included.
    void setColourScheme(ColourScheme scheme);
    ColourScheme colourScheme() const { return m_colourScheme; }

public slots:
    // The three buttons' actions.
    void toggleListening();
    void toggleExampleMode();
    void openPortDialog();

signals:
    // Emitted at the end of every refresh of the display.
    void displayRefreshed();
    // A reading was accepted and shown: a frame or sentence that passed its
    // check, or a step of example mode. The sample holds the direction and
    // speed as the display corrected them.
    void sampleAccepted(const WindSample &sample, WindSource source);
    // A frame or sentence from the input was rejected; nothing of it was
    // stored.
    void frameRejected();
    // Listening to the input started or stopped.
    void listeningChanged(bool listening);
    // Example mode was switched on or off.
    void exampleModeChanged(bool on);
    // The readouts were marked as old, or a reading made them fresh again.
    void readingsStaleChanged(bool stale);
    // How the input fares, for the link health: empty while it delivers or
    // is idle, otherwise what is wrong and what is being done about it
    // ("retrying in 2 s: Connection refused"), or "stopped: " and the cause
    // once it has failed. Emitted at every change, and again at every failed
    // try of an input that retries.
    void linkStateChanged(const QString &state);
    // The window is closing and writes its settings now; settings of its
    // add-ons that are kept across runs go into the same file at this moment.
    void savingSettings();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    friend class WindowFixture;

    // The wind and the modes; all zero until the settings are read.
    struct State
    {
        double directionDegrees = 0;
        double speedMetresPerSecond = 0;
        qint16 portNumber = 0;
        bool listening = false; // switched on, also while halted on a failure
        bool exampleModeOn = false;
        bool running = false; // started and not yet closing
    };

    void saveSettings();
    void releasePortDialog();

    // The only way the state reaches the display. Throws the AppError of a
    // value that cannot be shown, after showing what came before it.
    void refreshDisplay();
    void showWind(const WindDisplay &shown);
    void clearSpeedReadouts();

    void startListening();
    void stopListening();
    void closeLink();
    void takeReading(const WindReading &reading);
    void rejectFrame();
    void halt(const AppError &error);
    void markStale();
    void markFresh();
    void describeStaleReadouts();
    void colourValueReadouts();

    void exampleTick();
    void stepExampleWalk();
    void setExampleModeOn(bool on);

    // Tells the listeners that the state just shown is a new reading.
    void announceSample(WindSource source);

    SettingsFile &m_settings;
    LinkFactory m_makeLink;
    WindWindowControls m_controls;
    State m_state;
    std::unique_ptr<PortDialog> m_portDialog; // created on first use, released at close
    std::unique_ptr<WindLink> m_link; // while listening
    // Since the last accepted reading, or the start of listening.
    QElapsedTimer m_sinceReading;
    bool m_stale = false;
    // What the value readouts say of themselves while fresh.
    QHash<QWidget *, QString> m_freshDescriptions;
    ColourScheme m_colourScheme = ColourScheme::Day;
    bool m_settingsSaved = false;
};
