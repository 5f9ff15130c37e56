// SPDX-License-Identifier: MIT
#pragma once

#include "widgets/colourscheme.h"

#include <QList>

#include <array>

class BarLabel;
class FrameBox;
class ClockWidget;
class CompassWidget;
class QLabel;
class QLineEdit;
class QPushButton;
class WindFeed;
class QWidget;

// The columns of the bar scale, left to right; each has one bar.
enum ScaleColumn { KmhColumn, MphColumn, KnotsColumn, BeaufortColumn, ScaleColumnCount };

// Every control of the main window, as its layout builds them. The window
// owns them through Qt's parent chain; this only names them.
struct WindWindowControls
{
    QPushButton *listenButton = nullptr; // starts and stops listening to the sensor
    QPushButton *exampleModeButton = nullptr; // switches example mode on and off
    QPushButton *portButton = nullptr; // opens the port dialog
    QPushButton *hiddenButton = nullptr; // never shown and has no action

    CompassWidget *compassGauge = nullptr; // an arrow that flows with the wind
    ClockWidget *clockGauge = nullptr; // local time

    FrameBox *directionBox = nullptr; // holds the direction's heading and readouts
    QLabel *directionHeading = nullptr; // the word "Angle"
    QLabel *degreesReadout = nullptr; // the direction in whole degrees
    QLabel *degreeSign = nullptr; // a small raised "0" after the degrees
    QLabel *compassPointReadout = nullptr; // the direction as N, NE, ... NW

    FrameBox *kmhBox = nullptr; // holds the km/h readout and its unit
    QLabel *kmhReadout = nullptr; // the speed in km/h
    QLabel *kmhUnit = nullptr; // the fixed caption "km/h"
    FrameBox *mphBox = nullptr; // holds the mph readout and its unit
    QLabel *mphReadout = nullptr; // the speed in mph
    QLabel *mphUnit = nullptr; // the fixed caption "mph"
    FrameBox *knotsBox = nullptr; // holds the knots readout and its unit
    QLabel *knotsReadout = nullptr; // the speed in knots
    QLabel *knotsUnit = nullptr; // the fixed caption "knots"
    FrameBox *beaufortBox = nullptr; // holds the Beaufort readout and its unit
    QLabel *beaufortReadout = nullptr; // the Beaufort value with one decimal
    QLabel *beaufortUnit = nullptr; // the fixed caption "Bfr"

    QLineEdit *descriptionBox = nullptr; // what the wind of this force is called
    QLineEdit *seaBox = nullptr; // the state of the sea at this force
    QLineEdit *landBox = nullptr; // what this force does on land

    FrameBox *scaleFrame = nullptr; // the colour-banded bar scale, which clips what it holds
    std::array<BarLabel *, ScaleColumnCount> speedBars{}; // red columns rising with the speed
    // The printed scale, each list from the top of the frame down: colour
    // bands at the back, dash rows over them, the rows of values in front.
    QList<QLabel *> scaleBands;
    QList<QLabel *> scaleDashRows;
    QList<QLabel *> scaleTextRows;
    QLabel *hiddenScaleRow = nullptr; // a band above the frame, never seen

    QLabel *banner = nullptr; // the title picture
    QLabel *warningSign = nullptr; // a warning triangle, never shown

    // The readouts of values that a reading sets: degrees, compass point,
    // km/h, mph, knots and Beaufort.
    std::array<QLabel *, 6> valueReadouts() const
    {
        return {degreesReadout, compassPointReadout, kmhReadout,
                mphReadout,     knotsReadout,        beaufortReadout};
    }
    // Those that show the direction, and those that show the speed.
    std::array<QLabel *, 2> directionReadouts() const
    {
        return {degreesReadout, compassPointReadout};
    }
    std::array<QLabel *, 4> speedReadouts() const
    {
        return {kmhReadout, mphReadout, knotsReadout, beaufortReadout};
    }
};

// Builds the window's fixed layout on window, from the back to the front.
WindWindowControls buildWindWindowLayout(QWidget *window);

// Gives every control whose colours the layout sets itself the colours of
// the scheme: backgrounds, the bars, the scale's bands and rows, the banner.
// What the window's palette gives the rest is the application's to switch.
void colourWindWindow(const WindWindowControls &controls, ColourScheme scheme);
// The colour of a value readout's text, fresh or marked as old.
QColor valueReadoutColour(ColourScheme scheme, bool stale);

// Gives every control, and the feed's timers, the name a form designer gave
// it, so a widget inspector or a log still finds "Label1_13".
void nameWindWindowControls(const WindWindowControls &controls, const WindFeed &feed);
