// SPDX-License-Identifier: MIT
#pragma once

// The main window: it shows what the wind feed tells it and hands the
// buttons' clicks to it. Its parts live in files of their own:
//
//   windwindow.cpp           start-up, closing, the settings, the port dialog,
//                            the buttons and what the feed says of its state
//   windwindow_layout.cpp    every control at its place, its colours by day
//                            and at night, and its name for a widget
//                            inspector (windwindowcontrols.h)
//   windwindow_display.cpp   a reading's numbers made into the readouts',
//                            bars' and texts' words in the user's locale, the
//                            stale mark, and the alarms on the compass
//
// What the display shows is worked out in core (windfigures.h) and handed
// on by the feed (feed/windfeed.h); the painted gauges and labels live in
// widgets/.

#include "windwindowcontrols.h"

#include "feed/windfeed.h"
#include "widgets/compasswidget.h"

#include <QHash>
#include <QWidget>

#include <memory>

class AppError;
class PortDialog;
class SettingsFile;

class WindWindow : public QWidget
{
    Q_OBJECT

public:
    WindWindow(SettingsFile &settings, WindFeed &feed, QWidget *parent = nullptr);
    ~WindWindow() override;

    // Creates the settings file when it is missing and reads the example
    // mode, the direction, the speed and the port number from it into the
    // feed. Throws AppError naming the setting when a value is missing or
    // does not convert; nothing is shown then.
    void readSettings();
    // Starts the feed: example mode if it is on, and the stored wind shown
    // once, before the window is first shown.
    void start();
    // True from start() until the window closes.
    bool isRunning() const { return m_feed.isRunning(); }

    WindFeed &feed() const { return m_feed; }

    // The wind alarms as the compass shows them: its ring, and what it says
    // of them to a screen reader (empty with no alarm raised).
    void showAlarms(CompassWidget::Ring ring, const QString &description);
    // Every colour of the window, its gauges and readouts included.
    void setColourScheme(ColourScheme scheme);
    ColourScheme colourScheme() const { return m_colourScheme; }

public slots:
    void openPortDialog();

signals:
    // Emitted at the end of every refresh of the display.
    void displayRefreshed();
    // The window is closing and writes its settings now; settings of its
    // add-ons that are kept across runs go into the same file at this moment.
    void savingSettings();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    friend class WindowFixture;

    void saveSettings();
    void releasePortDialog();

    void showReading(const WindFeedReading &reading);
    void clearSpeedReadouts();
    void showState(WindFeed::State state);
    void showStaleness(const WindStaleness &staleness);
    void describeStaleReadouts();
    void colourValueReadouts();
    void tellHalt(const AppError &error);
    void describeCompass();

    SettingsFile &m_settings;
    WindFeed &m_feed;
    WindWindowControls m_controls;
    std::unique_ptr<PortDialog> m_portDialog; // created on first use, released at close
    WindStaleness m_staleness;
    // What the value readouts say of themselves while fresh.
    QHash<QWidget *, QString> m_freshDescriptions;
    ColourScheme m_colourScheme = ColourScheme::Day;
    // What the compass tells a screen reader: the raised alarms, and which
    // wind it shows when that is not the sensor's.
    QString m_alarmsDescription;
    bool m_settingsSaved = false;
    bool m_showsListening = false; // the buttons say that listening is on
};
