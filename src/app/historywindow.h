// SPDX-License-Identifier: MIT
#pragma once

// The history window: the mean wind and the gust of the last 2 and 10
// minutes, plots of speed and direction over a span the user chooses, and the
// health of the link, all read from the recorder once a second while the
// window is shown; hidden, it costs nothing. Its parts:
//
//   historywindow.cpp          building, showing and hiding, the refresh timer
//   historywindow_figures.cpp  the statistics and the link's health as texts,
//                              each with the words a screen reader says
//   historywindow_plots.cpp    the recorded history drawn into the two plots
//   historywindow_reports.cpp  the wind rose of a span or of today's data log,
//                              the wind as airfields report it (METAR) and
//                              each runway's headwind and crosswind
//
// The texts come from core/windstatisticstext.h, the plots are TimePlot
// widgets, the figures from WindRecorder.

#include "core/daylogrose.h"
#include "core/runwaywind.h"
#include "widgets/colourscheme.h"

#include <QString>
#include <QWidget>

class QComboBox;
class QLabel;
class QTimer;
class TimePlot;
class WindRecorder;
class WindRosePlot;
struct WindPeriodStatistics;
struct WindStatisticsSnapshot;

class HistoryWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int RefreshIntervalMs = 1000;

    explicit HistoryWindow(WindRecorder &recorder, QWidget *parent = nullptr);
    ~HistoryWindow() override;

    // Shows the window, or brings it to the front when it is already shown.
    void showAndRaise();
    // Reads the recorder and shows what it holds now; the timer calls it once
    // a second while the window is shown.
    void refresh();

    // The MQTT connection's state, as a line of the link's health: "MQTT:
    // connected", "MQTT: retrying in 8 s: connection refused". Hidden until
    // first set.
    void setMqttStatus(const QString &status);
    // Adds a part below the others, for something attached from outside (the
    // wind alarms).
    void addSection(QWidget *section);
    // The runways whose headwind and crosswind the window shows.
    void setRunways(const QList<Runway> &runways);
    // The plots' and the marks' own colours; the rest follows the
    // application's palette.
    void setColourScheme(ColourScheme scheme);

    // The span the plots show, in minutes: 10, 30 or 60.
    int spanMinutes() const;
    void setSpanMinutes(int minutes);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // A figure: its label, and the words that open what a screen reader
    // says of it ("2-minute mean speed").
    struct Figure
    {
        QLabel *label = nullptr;
        QString spokenName;
    };

    // The statistics of one period, a row of the table.
    struct PeriodRow
    {
        Figure speed[3]; // km/h, knots, m/s
        Figure direction; // degrees and compass point, or "Calm"
        Figure coverage;
    };

    QWidget *buildStatistics();
    QWidget *buildPlots();
    QWidget *buildLinkHealth();
    QWidget *buildRose();
    QWidget *buildReports();
    Figure makeFigure(const QString &spokenName, const QString &description);

    void showStatistics(const WindStatisticsSnapshot &snapshot);
    void showPeriod(PeriodRow &row, const WindPeriodStatistics &period);
    void showLinkHealth(const WindStatisticsSnapshot &snapshot);
    void showPlots(qint64 nowMs);
    void showRose(qint64 nowMs);
    void showReports(qint64 nowMs, const WindStatisticsSnapshot &snapshot);
    void offerTodaysLog();
    static void setFigure(Figure &figure, const QString &shown, const QString &spoken);
    void colourStaleMark(bool stale);

    WindRecorder &m_recorder;
    QTimer *m_refreshTimer = nullptr;
    ColourScheme m_colourScheme = ColourScheme::Day;

    PeriodRow m_twoMinutes; // the last 2 minutes
    PeriodRow m_tenMinutes; // the last 10 minutes
    Figure m_gust[3]; // the highest 3-second mean of the last 10 minutes, km/h, knots, m/s
    Figure m_beaufort; // Beaufort of the 10-minute mean

    QComboBox *m_spanChooser = nullptr; // 10, 30 or 60 minutes
    TimePlot *m_speedPlot = nullptr; // raw speed, 2-minute mean and gust, km/h
    TimePlot *m_directionPlot = nullptr; // each sample's direction as a point

    QComboBox *m_roseSpanChooser = nullptr; // 10, 30 or 60 minutes, or today's data log
    WindRosePlot *m_rosePlot = nullptr; // where the wind came from, and how strong
    DayLogRose m_dayLogRose; // today's data log, read as it grows

    Figure m_metar; // "2 min 27015KT · 10 min 27015G25KT 240V300"
    QList<Runway> m_runways;
    QList<Figure> m_runwayFigures; // one line a runway
    QWidget *m_reports = nullptr; // holds the report and the runways' lines

    Figure m_source; // the input (the port and its device), example mode, or none
    Figure m_linkState; // connected, retrying, device missing...; or not listening
    Figure m_windShown; // which wind an NMEA input shows: apparent, true, from what
    Figure m_accepted; // samples since the source started, count and share
    Figure m_rejected; // frames that failed their checksum, count and share
    Figure m_frameRate; // samples a second over the last minute
    Figure m_sinceLastSample; // seconds
    Figure m_staleMark; // STALE, or fresh
    Figure m_mqtt; // the MQTT connection: connected, or when it is tried again and why
};
