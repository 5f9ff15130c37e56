// SPDX-License-Identifier: MIT
#pragma once

#include "gaugeface.h"

#include <QFont>
#include <QRegion>
#include <QTime>

// An analog clock face with hour, minute and second hands.
class ClockGauge : public GaugeFace
{
public:
    ClockGauge();

    void setTime(const QTime &time) { m_time = time; }
    QTime time() const { return m_time; }

    // The pixels, in the coordinates the square is given in, that the hands
    // may touch at the time set: a tick repaints these before and after it,
    // and the rest of the face stays as it is.
    QRegion handPixels(const QRectF &square) const;

protected:
    void drawMarkers(QPainter &painter) const override;
    void drawLabels(QPainter &painter) const override;
    void drawData(QPainter &painter) const override;

private:
    QTime m_time{0, 0};
    QFont m_numeralFont;
};
