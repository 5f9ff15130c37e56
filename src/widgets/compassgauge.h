// SPDX-License-Identifier: MIT
#pragma once

#include "gaugeface.h"

#include <QFont>
#include <QPainterPath>

// A compass rose with a wind arrow. The arrow points at its bearing (0 up,
// 90 right), so a bearing of wind direction + 180 makes it flow with the wind.
class CompassGauge : public GaugeFace
{
public:
    CompassGauge();

    void setBearing(double degrees) { m_bearing = normalizedBearing(degrees); }
    double bearing() const { return m_bearing; }

    // Any finite angle as a bearing in [0, 360).
    static double normalizedBearing(double degrees);
    // The signed turn, in (-180, 180], that takes the bearing `from` to the
    // bearing `to` along the shorter arc; positive is clockwise. Opposite
    // bearings turn clockwise.
    static double shortestTurn(double from, double to);

protected:
    void drawMarkers(QPainter &painter) const override;
    void drawLabels(QPainter &painter) const override;
    void drawData(QPainter &painter) const override;
    QPolygonF dataOutline() const override;

private:
    void drawRose(QPainter &painter) const;

    double m_bearing = 0;
    QPainterPath m_headOutline; // what a pen stroking the arrow head covers
    QFont m_cardinalFont;
    QFont m_intercardinalFont;
};
