// SPDX-License-Identifier: MIT
#include "clockwidget.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

namespace {
// The clock shows whole seconds.
QTime wholeSecondNow()
{
    const QTime now = QTime::currentTime();
    return QTime(now.hour(), now.minute(), now.second());
}
} // namespace

ClockWidget::ClockWidget(QWidget *parent)
    : GaugeWidget(parent)
    , m_tickTimer(new QTimer(this))
{
    m_tickTimer->setInterval(1000);
    // Only the hands move: a tick repaints the pixels they covered and the
    // ones they cover now, and the rest of the face stays as it was sent to
    // the display. Painted at once: the tick is what woke the event loop,
    // and a posted repaint would take the loop round once more.
    connect(m_tickTimer, &QTimer::timeout, this, [this] {
        const QTime now = wholeSecondNow();
        if (now != m_clock.time()) {
            QRegion hands = m_clock.handPixels(faceSquare());
            m_clock.setTime(now);
            hands += m_clock.handPixels(faceSquare());
            repaint(hands);
        }
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
    // Every paint shows the time of the last tick, so that a part of the
    // face painted again on its own matches the rest.
    QPainter painter(this);
    paintAround(painter, event->region());
    m_clock.paint(painter, faceSquare(), background());
}

void ClockWidget::showEvent(QShowEvent *event)
{
    GaugeWidget::showEvent(event);
    m_clock.setTime(wholeSecondNow());
    m_tickTimer->start();
}

void ClockWidget::hideEvent(QHideEvent *event)
{
    GaugeWidget::hideEvent(event);
    m_tickTimer->stop();
}

#include "moc_clockwidget.cpp"
