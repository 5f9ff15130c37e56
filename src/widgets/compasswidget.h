// SPDX-License-Identifier: MIT
#pragma once

#include "compassgauge.h"
#include "gaugewidget.h"

#include <QElapsedTimer>

#include <limits>

class QTimer;
class QVariantAnimation;

// The compass: a wind arrow over a compass rose that turns, along the
// shorter arc, to each new direction. A red ring over its rim calls for
// attention.
class CompassWidget : public GaugeWidget
{
    Q_OBJECT

public:
    enum class Ring {
        Off,
        Blinking, // lit and dark in turn, while nobody has answered the call
        Steady,
    };
    // The blinking ring's pace: a second lit, a second dark.
    static constexpr int RingBlinkMs = 1000;

    explicit CompassWidget(QWidget *parent = nullptr);
    ~CompassWidget() override;

    // A change repaints the ring's bounding square alone, never the window
    // around the dial.
    void setRing(Ring ring);
    Ring ring() const { return m_ring; }
    // Whether the ring shows at this moment.
    bool isRingLit() const;
    void setColourScheme(ColourScheme scheme);

    // The arrow flows with the wind: a wind from the north (0) points it
    // down, to a bearing of 180. Any finite angle; others are ignored.
    void setWindDirection(double degrees);
    // Where the arrow points, or is turning to, in [0, 360).
    double arrowBearing() const { return m_targetBearing; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    enum class ArrowPaint { Now, Later };

    void turnTo(double bearing);
    void finishTurn(ArrowPaint when);
    void updateArrow(ArrowPaint when);
    void updateBlinking();
    QRect ringArea() const;
    const QImage &ringPicture();

    CompassGauge m_compass;
    double m_targetBearing = 0;
    double m_repaintedBearing = 0;
    QElapsedTimer m_sinceRepaint;
    // How a step of the turn is painted: at once on the animation's ticks,
    // with the next repaint of the window for the step taken with the turn's
    // start.
    ArrowPaint m_stepPaint = ArrowPaint::Now;
    // Where the arrow may show on screen: every bearing painted since the
    // arrow was last painted whole lies inside it.
    QRect m_arrowShown;
    // The bearing the screen shows the arrow at, whole and alone; not a
    // number while a partial paint has left that uncertain.
    double m_paintedBearing = std::numeric_limits<double>::quiet_NaN();
    QVariantAnimation *m_turn = nullptr;

    Ring m_ring = Ring::Off;
    bool m_blinkLit = true;
    QTimer *m_blinkTimer = nullptr; // runs only while the ring blinks and is seen
    QImage m_ringPicture; // the lit ring, for the size and colour it was drawn in
    QColor m_ringColour;
};
