// SPDX-License-Identifier: MIT
#include "gaugeface.h"

#include <QLinearGradient>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>

namespace {

struct FaceColours
{
    QRgb rimLight;
    QRgb rimDark;
    QRgb bezelLight;
    QRgb faceCentre;
    QRgb faceEdge;
    QRgb hubLight;
    QRgb hubDark;
    QRgb glass; // the reflection's colour where it is strongest
};

constexpr FaceColours DayFace = {0xff7d8cbc, 0xff17214a, 0xffa9b5da, 0xffffffff,
                                 0xffd9e0ef, 0xff6f80b4, 0xff111a3c, 0x3cffffff};
// At night the face is dark and the rim a little lighter, so that the
// dial's marks and the hands, in brighter red, stand out as by day.
constexpr FaceColours NightFace = {0xff4a0000,      0xff0c0000, 0xff380000, NightRed::Deep,
                                   NightRed::Black, 0xff600000, 0xff180000, 0x18ff0000};

const FaceColours &faceColours(ColourScheme scheme)
{
    return scheme == ColourScheme::Night ? NightFace : DayFace;
}

constexpr qreal OuterRadius = 98;
constexpr qreal BezelRadius = 92;

constexpr int BandRows = 12;

// The smallest rectangle, in device pixels, that holds every pixel of the
// image that is not wholly clear.
QRect coveredPixels(const QImage &image)
{
    int left = image.width();
    int right = -1;
    int top = image.height();
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) == 0)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

QRectF GaugeFace::faceSquare(const QSizeF &area)
{
    const qreal side = std::min(area.width(), area.height());
    return QRectF((area.width() - side) / 2, (area.height() - side) / 2, side, side);
}

void GaugeFace::paint(QPainter &painter, const QRectF &square, const QColor &background) const
{
    if (square.width() <= 0)
        return;

    // The device being painted, not the widget that paints: a widget rendered
    // into a high-resolution pixmap reports its screen's ratio.
    const QPaintDevice *target
        = painter.paintEngine() ? painter.paintEngine()->paintDevice() : painter.device();
    const qreal ratio = target ? target->devicePixelRatio() : 1;
    const QPoint origin = square.toAlignedRect().topLeft();
    if (square != m_layerSquare || m_under.devicePixelRatio() != ratio
        || background != m_layerBackground) {
        m_under = layer(square, ratio,
                        {&GaugeFace::drawFrame, &GaugeFace::drawMarkers, &GaugeFace::drawLabels});
        if (background.isValid()) {
            // Blended once here exactly as it would be on every paint, into
            // a format Qt knows to be opaque, so that it is copied as it is.
            QImage standing(m_under.size(), QImage::Format_RGB32);
            standing.setDevicePixelRatio(ratio);
            standing.fill(background);
            QPainter(&standing).drawImage(0, 0, m_under);
            m_under = standing;
        }
        m_layerBackground = background;
        m_over = layer(square, ratio, {&GaugeFace::drawForeground});
        m_overOrigin = QPoint(0, 0);
        // Cut on whole logical pixels, so that the rest still lands on the
        // device pixels it was drawn for; a fractional ratio keeps it all.
        const int wholeRatio = int(ratio);
        if (wholeRatio == ratio) {
            const QRect covered = coveredPixels(m_over);
            const QRect logical(
                QPoint(covered.left() / wholeRatio, covered.top() / wholeRatio),
                QPoint(covered.right() / wholeRatio, covered.bottom() / wholeRatio));
            m_over
                = m_over.copy(QRect(logical.topLeft() * wholeRatio, logical.size() * wholeRatio));
            m_over.setDevicePixelRatio(ratio);
            m_overOrigin = logical.topLeft();
        }
        m_layerSquare = square;
    }
    // The layers cover whole pixels around the square, so they are copied
    // without resampling and line up with the data drawn between them.
    painter.drawImage(origin, m_under);
    paintSteps(painter, square, {&GaugeFace::drawData});
    if (!m_over.isNull())
        painter.drawImage(origin + m_overOrigin, m_over);
}

void GaugeFace::setColourScheme(ColourScheme scheme)
{
    if (scheme == m_scheme)
        return;
    m_scheme = scheme;
    m_layerSquare = QRectF();
}

QRect GaugeFace::dataPixels(const QRectF &square) const
{
    return pixelsHolding(dataOutline(), square);
}

QRect GaugeFace::pixelsHolding(const QPolygonF &outline, const QRectF &square)
{
    // The transform of paintSteps(), and a pixel more on every side for the
    // antialiased edge.
    QTransform toSquare;
    toSquare.translate(square.center().x(), square.center().y());
    toSquare.scale(square.width() / LogicalSize, square.height() / LogicalSize);
    return toSquare.map(outline).boundingRect().toAlignedRect().adjusted(-1, -1, 1, 1);
}

QPolygonF GaugeFace::dataOutline() const
{
    return QPolygonF(QRectF(-LogicalSize / 2, -LogicalSize / 2, LogicalSize, LogicalSize));
}

QImage GaugeFace::layer(const QRectF &square, qreal pixelRatio,
                        std::initializer_list<Step> steps) const
{
    const QRect pixels = square.toAlignedRect();
    QImage image(pixels.size() * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintSteps(painter, square.translated(-pixels.topLeft()), steps);
    return image;
}

void GaugeFace::paintSteps(QPainter &painter, const QRectF &square,
                           std::initializer_list<Step> steps) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(square.center());
    painter.scale(square.width() / LogicalSize, square.height() / LogicalSize);
    for (Step step : steps) {
        painter.save();
        (this->*step)(painter);
        painter.restore();
    }
    painter.restore();
}

void GaugeFace::drawFrame(QPainter &painter) const
{
    const FaceColours &colours = faceColours(m_scheme);
    painter.setPen(Qt::NoPen);

    // Light from the top left: the rim is lit there, the bezel inside it is
    // lit on the opposite side, which reads as a raised ring.
    QLinearGradient rim(-OuterRadius, -OuterRadius, OuterRadius, OuterRadius);
    rim.setColorAt(0, QColor(colours.rimLight));
    rim.setColorAt(1, QColor(colours.rimDark));
    painter.setBrush(rim);
    painter.drawEllipse(QPointF(0, 0), OuterRadius, OuterRadius);

    QLinearGradient bezel(-BezelRadius, -BezelRadius, BezelRadius, BezelRadius);
    bezel.setColorAt(0, QColor(colours.rimDark));
    bezel.setColorAt(1, QColor(colours.bezelLight));
    painter.setBrush(bezel);
    painter.drawEllipse(QPointF(0, 0), BezelRadius, BezelRadius);

    QRadialGradient face(QPointF(-20, -25), FaceRadius * 1.3);
    face.setColorAt(0, QColor(colours.faceCentre));
    face.setColorAt(1, QColor(colours.faceEdge));
    painter.setBrush(face);
    painter.drawEllipse(QPointF(0, 0), FaceRadius, FaceRadius);
}

void GaugeFace::drawForeground(QPainter &painter) const
{
    // A faint reflection on the upper half of the glass.
    QLinearGradient glass(0, -FaceRadius, 0, 0);
    const QColor strongest = QColor::fromRgba(faceColours(m_scheme).glass);
    QColor clear = strongest;
    clear.setAlpha(0);
    glass.setColorAt(0, strongest);
    glass.setColorAt(1, clear);
    painter.setPen(Qt::NoPen);
    painter.setBrush(glass);
    painter.drawEllipse(
        QRectF(-FaceRadius * 0.8, -FaceRadius * 0.95, FaceRadius * 1.6, FaceRadius * 0.9));
}

void GaugeFace::drawHub(QPainter &painter, qreal radius) const
{
    const FaceColours &colours = faceColours(m_scheme);
    QRadialGradient hub(QPointF(-radius / 3, -radius / 3), radius * 1.4);
    hub.setColorAt(0, QColor(colours.hubLight));
    hub.setColorAt(1, QColor(colours.hubDark));
    painter.setPen(Qt::NoPen);
    painter.setBrush(hub);
    painter.drawEllipse(QPointF(0, 0), radius, radius);
}

void GaugeFace::drawInBands(QPainter &painter, const QRectF &bounds,
                            const std::function<void()> &draw)
{
    const QTransform toDevice = painter.transform();
    const QRect pixels = toDevice.mapRect(bounds).toAlignedRect();
    for (int top = pixels.top(); top <= pixels.bottom(); top += BandRows) {
        painter.save();
        // The band is cut in the painter's own pixels, then the shape is
        // drawn as before.
        painter.resetTransform();
        painter.setClipRect(QRect(pixels.left(), top, pixels.width(), BandRows), Qt::IntersectClip);
        painter.setTransform(toDevice);
        draw();
        painter.restore();
    }
}
