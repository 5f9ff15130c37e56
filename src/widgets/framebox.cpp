// SPDX-License-Identifier: MIT
#include "framebox.h"

#include <QPainter>

FrameBox::FrameBox(const QString &caption, QWidget *parent)
    : QWidget(parent)
    , m_caption(caption)
{
    setAccessibleName(caption);
}

void FrameBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int borderTop = m_caption.isEmpty() ? 0 : metrics.height() / 2;
    const QRect border(0, borderTop, width() - 2, height() - borderTop - 2);

    // The etched line: a shadow line with a light line one pixel below and right.
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(border.translated(1, 1));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(border);

    if (!m_caption.isEmpty()) {
        const QRect captionRect(CaptionInset, 0, metrics.horizontalAdvance(m_caption) + 4,
                                metrics.height());
        painter.fillRect(captionRect, palette().color(backgroundRole()));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(captionRect, Qt::AlignCenter, m_caption);
    }
}
