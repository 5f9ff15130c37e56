#pragma once

#include "gaugeface.h"

#include <QFont>
#include <QTime>

// An analog clock face with hour, minute and second hands.
class ClockGauge : public GaugeFace
{
public:
    ClockGauge();

    void setTime(const QTime &time) { m_time = time; }
    QTime time() const { return m_time; }

protected:
    void drawMarkers(QPainter &painter) const override;
    void drawLabels(QPainter &painter) const override;
    void drawData(QPainter &painter) const override;

private:
    QTime m_time{0, 0};
    QFont m_numeralFont;
};
