// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include <optional>

class QAction;
class QMessageBox;
class QTimer;
class QWidget;
class SettingsFile;
class WindFeed;
struct WindFeedReading;

// "Set Zero Direction…" in the main window's context menu, for a vane that
// is not mounted pointing at north (or at the bow): enabled while listening
// with a reading less than FreshForMs old, it shows the direction the input
// reports now, uncorrected, and asks to turn the vane to true north (on a
// boat: to the bow) and press OK. OK writes the [SENSOR] DirectionOffset
// that makes the direction reported at that moment read 0, Reset writes 0,
// Cancel changes nothing; what is written applies from the next reading.
class ZeroDirection : public QObject
{
    Q_OBJECT

public:
    static constexpr int FreshForMs = 2000;

    ZeroDirection(SettingsFile &settings, WindFeed &feed, QWidget &mainWindow,
                  QObject *parent = nullptr);
    ~ZeroDirection() override;

    QAction *action() const { return m_action; }
    // The question, while it is open.
    QMessageBox *dialog() const { return m_dialog; }

private:
    void take(const WindFeedReading &reading);
    void open();
    void describe();
    void finish(int button);
    void writeOffset(double degrees);

    SettingsFile &m_settings;
    WindFeed &m_feed;
    QWidget &m_mainWindow;
    QAction *m_action = nullptr;
    QMessageBox *m_dialog = nullptr;
    // Ends the action's enabled spell FreshForMs after the last reading.
    QTimer *m_freshTimer = nullptr;
    std::optional<double> m_reported; // the latest, uncorrected
};
