// SPDX-License-Identifier: MIT
#pragma once

#include "compassgauge.h"
#include "gaugewidget.h"

#include <QElapsedTimer>

#include <limits>

class QVariantAnimation;

// The compass: a wind arrow over a compass rose that turns, along the
// shorter arc, to each new direction.
class CompassWidget : public GaugeWidget
{
    Q_OBJECT

public:
    explicit CompassWidget(QWidget *parent = nullptr);
    ~CompassWidget() override;

    // The arrow flows with the wind: a wind from the north (0) points it
    // down, to a bearing of 180. Any finite angle; others are ignored.
    void setWindDirection(double degrees);
    // Where the arrow points, or is turning to, in [0, 360).
    double arrowBearing() const { return m_targetBearing; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    enum class ArrowPaint { Now, Later };

    void turnTo(double bearing);
    void finishTurn(ArrowPaint when);
    void updateArrow(ArrowPaint when);

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
};
