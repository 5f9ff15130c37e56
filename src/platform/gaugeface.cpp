#include "gaugeface.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>

namespace {

constexpr QRgb RimLight = 0xff7d8cbc;
constexpr QRgb RimDark = 0xff17214a;
constexpr QRgb BezelLight = 0xffa9b5da;
constexpr QRgb FaceCentre = 0xffffffff;
constexpr QRgb FaceEdge = 0xffd9e0ef;
constexpr QRgb HubLight = 0xff6f80b4;
constexpr QRgb HubDark = 0xff111a3c;

constexpr qreal OuterRadius = 98;
constexpr qreal BezelRadius = 92;

} // namespace

QRectF GaugeFace::faceSquare(const QSizeF &area)
{
    const qreal side = std::min(area.width(), area.height());
    return QRectF((area.width() - side) / 2, (area.height() - side) / 2, side, side);
}

void GaugeFace::paint(QPainter &painter, const QRectF &square) const
{
    if (square.width() <= 0)
        return;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(square.center());
    painter.scale(square.width() / LogicalSize, square.height() / LogicalSize);

    using Step = void (GaugeFace::*)(QPainter &) const;
    for (Step step : {&GaugeFace::drawFrame, &GaugeFace::drawMarkers, &GaugeFace::drawLabels,
                      &GaugeFace::drawData, &GaugeFace::drawForeground}) {
        painter.save();
        (this->*step)(painter);
        painter.restore();
    }
    painter.restore();
}

void GaugeFace::drawFrame(QPainter &painter) const
{
    painter.setPen(Qt::NoPen);

    // Light from the top left: the rim is lit there, the bezel inside it is
    // lit on the opposite side, which reads as a raised ring.
    QLinearGradient rim(-OuterRadius, -OuterRadius, OuterRadius, OuterRadius);
    rim.setColorAt(0, QColor(RimLight));
    rim.setColorAt(1, QColor(RimDark));
    painter.setBrush(rim);
    painter.drawEllipse(QPointF(0, 0), OuterRadius, OuterRadius);

    QLinearGradient bezel(-BezelRadius, -BezelRadius, BezelRadius, BezelRadius);
    bezel.setColorAt(0, QColor(RimDark));
    bezel.setColorAt(1, QColor(BezelLight));
    painter.setBrush(bezel);
    painter.drawEllipse(QPointF(0, 0), BezelRadius, BezelRadius);

    QRadialGradient face(QPointF(-20, -25), FaceRadius * 1.3);
    face.setColorAt(0, QColor(FaceCentre));
    face.setColorAt(1, QColor(FaceEdge));
    painter.setBrush(face);
    painter.drawEllipse(QPointF(0, 0), FaceRadius, FaceRadius);
}

void GaugeFace::drawForeground(QPainter &painter) const
{
    // A faint reflection on the upper half of the glass.
    QLinearGradient glass(0, -FaceRadius, 0, 0);
    glass.setColorAt(0, QColor(255, 255, 255, 60));
    glass.setColorAt(1, QColor(255, 255, 255, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glass);
    painter.drawEllipse(
        QRectF(-FaceRadius * 0.8, -FaceRadius * 0.95, FaceRadius * 1.6, FaceRadius * 0.9));
}

void GaugeFace::drawHub(QPainter &painter, qreal radius)
{
    QRadialGradient hub(QPointF(-radius / 3, -radius / 3), radius * 1.4);
    hub.setColorAt(0, QColor(HubLight));
    hub.setColorAt(1, QColor(HubDark));
    painter.setPen(Qt::NoPen);
    painter.setBrush(hub);
    painter.drawEllipse(QPointF(0, 0), radius, radius);
}
