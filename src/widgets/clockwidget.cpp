// SPDX-License-Identifier: MIT
#include "clockwidget.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

ClockWidget::ClockWidget(QWidget *parent)
    : GaugeWidget(parent)
    , m_tickTimer(new QTimer(this))
{
    m_tickTimer->setInterval(1000);
    // The clock is drawn inside its face square; the widget around it shows
    // only the background. Painted at once: the tick is what woke the event
    // loop, and a posted repaint would take the loop round once more.
    connect(m_tickTimer, &QTimer::timeout, this, [this] {
        repaint(faceSquare().toAlignedRect());
        emit secondTicked();
    });
}

ClockWidget::~ClockWidget() = default;

void ClockWidget::setColourScheme(ColourScheme scheme)
{
    m_clock.setColourScheme(scheme);
    update();
}

void ClockWidget::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    paintAround(painter, event->region());
    m_clock.setTime(QTime::currentTime());
    m_clock.paint(painter, faceSquare(), background());
}

void ClockWidget::showEvent(QShowEvent *event)
{
    GaugeWidget::showEvent(event);
    m_tickTimer->start();
}

void ClockWidget::hideEvent(QHideEvent *event)
{
    GaugeWidget::hideEvent(event);
    m_tickTimer->stop();
}

#include "moc_clockwidget.cpp"
