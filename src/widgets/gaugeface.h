// SPDX-License-Identifier: MIT
#pragma once

#include "colourscheme.h"

#include <QColor>
#include <QImage>
#include <QPolygonF>
#include <QRectF>

#include <functional>
#include <initializer_list>

class QPainter;
class QSizeF;

// A round dial drawn in a fixed logical square of 200 x 200 units with the
// origin at its centre, so it scales with the widget and the screen's pixel
// ratio. Painting runs in steps that a dial overrides one by one: frame,
// markers, labels, data, foreground; each step starts from the same painter
// state. Only the data step may change from one paint to the next: the
// others are drawn once per size and kept as pictures.
class GaugeFace
{
public:
    static constexpr qreal LogicalSize = 200;

    virtual ~GaugeFace() = default;

    // The largest square centred in an area of the given size: where a dial
    // goes when its area is not square.
    static QRectF faceSquare(const QSizeF &area);

    // Given a background, the colour the dial stands on, every pixel of
    // square.toAlignedRect() is painted, those around the dial in that
    // colour; without one, only the dial is.
    void paint(QPainter &painter, const QRectF &square, const QColor &background = QColor()) const;

    // The dial's colours; a change draws its kept layers anew at the next
    // paint.
    void setColourScheme(ColourScheme scheme);
    ColourScheme colourScheme() const { return m_scheme; }

    // The pixels, in the coordinates the square is given in, that the data
    // step may touch as it is now: a widget that changes only its data
    // repaints these, before and after the change, and nothing else.
    QRect dataPixels(const QRectF &square) const;

protected:
    virtual void drawFrame(QPainter &painter) const;
    virtual void drawMarkers(QPainter &painter) const = 0;
    virtual void drawLabels(QPainter &painter) const = 0;
    virtual void drawData(QPainter &painter) const = 0;
    virtual void drawForeground(QPainter &painter) const;
    // What the data step draws, in the dial's logical coordinates: any
    // polygon that holds it, pen and all. The whole dial unless a dial says
    // otherwise.
    virtual QPolygonF dataOutline() const;

    // The pixels, in the coordinates the square is given in, that a shape
    // drawn in the dial's logical coordinates may touch, its antialiased
    // edge included.
    static QRect pixelsHolding(const QPolygonF &outline, const QRectF &square);

    // The radius of the dial's face inside the rim; markers stand on it.
    static constexpr qreal FaceRadius = 88;
    // A small domed cap that hides where the hands or the arrow meet.
    void drawHub(QPainter &painter, qreal radius) const;
    // Runs draw, a fill with a gradient inside bounds (in the painter's
    // present coordinates), once for each band of a few pixel rows. Qt hands
    // a gradient fill of more than about a hundred spans, a dozen or so rows
    // of an antialiased shape, to its thread pool, and waking the pool's threads
    // costs more than filling a shape this size; a band stays below that
    // and is filled on the painting thread. The bands meet on whole pixels,
    // so the pixels come out as they would in one piece.
    static void drawInBands(QPainter &painter, const QRectF &bounds,
                            const std::function<void()> &draw);

private:
    using Step = void (GaugeFace::*)(QPainter &) const;
    void paintSteps(QPainter &painter, const QRectF &square,
                    std::initializer_list<Step> steps) const;
    QImage layer(const QRectF &square, qreal pixelRatio, std::initializer_list<Step> steps) const;

    // The parts under and over the data, for the square and pixel ratio they
    // were drawn for: a turning arrow or a ticking hand then costs two copies
    // and itself instead of the whole dial, gradients and text included. The
    // part over the data keeps only the pixels it covers, from m_overOrigin
    // on, since every clear pixel would be blended for nothing. The part
    // under it stands on the background already, so that it is copied rather
    // than blended over a fill of that colour.
    ColourScheme m_scheme = ColourScheme::Day;
    mutable QImage m_under;
    mutable QImage m_over;
    mutable QPoint m_overOrigin;
    mutable QRectF m_layerSquare;
    mutable QColor m_layerBackground;
};
