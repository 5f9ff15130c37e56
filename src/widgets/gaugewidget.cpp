// SPDX-License-Identifier: MIT
#include "gaugewidget.h"

#include "gaugeface.h"

#include <QPainter>
#include <QResizeEvent>

GaugeWidget::GaugeWidget(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor GaugeWidget::background() const
{
    return palette().color(backgroundRole());
}

void GaugeWidget::paintAround(QPainter &painter, const QRegion &region) const
{
    const QColor colour = background();
    for (const QRect &rect : region - m_faceSquare.toAlignedRect())
        painter.fillRect(rect, colour);
}

void GaugeWidget::resizeEvent(QResizeEvent *event)
{
    m_faceSquare = GaugeFace::faceSquare(event->size());
    QWidget::resizeEvent(event);
}

// Built with this file rather than in the library's shared moc object, which
// would drag every other widget of the static library into whatever links
// the gauge.
#include "moc_gaugewidget.cpp"
