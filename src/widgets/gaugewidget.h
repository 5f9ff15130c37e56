// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class GaugeFace;

// A dial on a widget of its own: the dial's face square centred in the
// widget, the widget's background around it. The gauge paints its own
// background, in its palette's colour, the colour of the window it stands
// on: a change of the dial then repaints the gauge alone, not the window
// under it as well, with one painter.
class GaugeWidget : public QWidget
{
    Q_OBJECT

protected:
    explicit GaugeWidget(QWidget *parent = nullptr);

    QRectF faceSquare() const { return m_faceSquare; }
    QColor background() const;
    // Fills what the paint event asks for outside the face square; the dial
    // paints every pixel inside it itself.
    void paintAround(QPainter &painter, const QRegion &region) const;

    void resizeEvent(QResizeEvent *event) override;

private:
    QRectF m_faceSquare;
};
