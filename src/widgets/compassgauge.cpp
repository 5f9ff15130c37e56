// SPDX-License-Identifier: MIT
#include "compassgauge.h"

#include "core/winddirection.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPathStroker>
#include <QPolygonF>
#include <QTransform>

#include <array>
#include <cmath>

namespace {

struct CompassColours
{
    QRgb tick;
    QRgb label;
    QRgb north;
    QRgb roseLight;
    QRgb roseShade;
    QRgb arrowHeadLight;
    QRgb arrowHeadDark;
    QRgb arrowOutline;
    QRgb shaft;
};

constexpr CompassColours DayCompass = {0xff1c2a5a, 0xff1c2a5a, 0xffa01010, 0xffd3dbed, 0xffb2bfdc,
                                       0xffff8a2a, 0xffe0501a, 0xff7a2408, 0xff1c2a5a};
// North and the arrow's head stay the brightest marks, as their colours make
// them by day; the rose is barely lighter than the face.
constexpr CompassColours NightCompass
    = {NightRed::Mid,    0xffa00000, NightRed::Bright, 0xff240000, 0xff1a0000,
       NightRed::Bright, 0xff900000, NightRed::Dark,   0xff700000};

const CompassColours &compassColours(ColourScheme scheme)
{
    return scheme == ColourScheme::Night ? NightCompass : DayCompass;
}

constexpr qreal TickOuter = 86;
constexpr qreal CardinalRadius = 66;
constexpr qreal IntercardinalRadius = 64;
constexpr qreal HeadOutlineWidth = 1.2;

struct Point
{
    const char *name;
    int bearing;
};

constexpr std::array<Point, 8> CompassPoints{{
    {"N", 0},
    {"NE", 45},
    {"E", 90},
    {"SE", 135},
    {"S", 180},
    {"SW", 225},
    {"W", 270},
    {"NW", 315},
}};

// The arrow's head, pointing up.
QPolygonF arrowHead()
{
    return QPolygonF{{
        QPointF(0, -56),
        QPointF(14, -24),
        QPointF(0, -32),
        QPointF(-14, -24),
    }};
}

// The point at `radius` along `bearing`, in the dial's coordinates (y down).
QPointF polar(qreal radius, qreal bearing)
{
    const qreal radians = qDegreesToRadians(bearing);
    return {radius * std::sin(radians), -radius * std::cos(radians)};
}

} // namespace

CompassGauge::CompassGauge()
{
    QPen outline;
    outline.setWidthF(HeadOutlineWidth);
    outline.setJoinStyle(Qt::MiterJoin);
    QPainterPath head;
    head.addPolygon(arrowHead());
    head.closeSubpath();
    m_headOutline = QPainterPathStroker(outline).createStroke(head);

    m_cardinalFont.setStyleHint(QFont::SansSerif);
    m_cardinalFont.setBold(true);
    m_cardinalFont.setPixelSize(20);
    m_intercardinalFont = m_cardinalFont;
    m_intercardinalFont.setPixelSize(11);
}

double CompassGauge::normalizedBearing(double degrees)
{
    return wrappedDegrees(degrees);
}

double CompassGauge::shortestTurn(double from, double to)
{
    double turn = normalizedBearing(to) - normalizedBearing(from);
    if (turn > 180.0)
        turn -= 360.0;
    else if (turn <= -180.0)
        turn += 360.0;
    return turn;
}

void CompassGauge::drawMarkers(QPainter &painter) const
{
    QPen pen{QColor(compassColours(colourScheme()).tick)};
    pen.setCapStyle(Qt::FlatCap);
    for (int degree = 0; degree < 360; degree += 5) {
        qreal length = 4;
        qreal width = 0.8;
        if (degree % 45 == 0) {
            length = 11;
            width = 2.2;
        } else if (degree % 10 == 0) {
            length = 7;
            width = 1.2;
        }
        pen.setWidthF(width);
        painter.setPen(pen);
        painter.drawLine(polar(TickOuter, degree), polar(TickOuter - length, degree));
    }
    drawRose(painter);
}

// The pale eight-pointed star behind the arrow: long points on the cardinal
// bearings, short ones between, each point shaded on one side.
void CompassGauge::drawRose(QPainter &painter) const
{
    const CompassColours &colours = compassColours(colourScheme());
    painter.setPen(Qt::NoPen);
    for (const Point &point : CompassPoints) {
        const bool cardinal = point.bearing % 90 == 0;
        const qreal tip = cardinal ? 52 : 34;
        const qreal waist = cardinal ? 9 : 7;
        const QPointF outer = polar(tip, point.bearing);
        painter.setBrush(QColor(colours.roseLight));
        painter.drawPolygon(QPolygonF{{QPointF(0, 0), outer, polar(waist, point.bearing - 45)}});
        painter.setBrush(QColor(colours.roseShade));
        painter.drawPolygon(QPolygonF{{QPointF(0, 0), outer, polar(waist, point.bearing + 45)}});
    }
}

void CompassGauge::drawLabels(QPainter &painter) const
{
    const CompassColours &colours = compassColours(colourScheme());
    for (const Point &point : CompassPoints) {
        const bool cardinal = point.bearing % 90 == 0;
        painter.setFont(cardinal ? m_cardinalFont : m_intercardinalFont);
        painter.setPen(QColor(point.bearing == 0 ? colours.north : colours.label));
        const QPointF centre
            = polar(cardinal ? CardinalRadius : IntercardinalRadius, point.bearing);
        painter.drawText(QRectF(centre.x() - 16, centre.y() - 12, 32, 24), Qt::AlignCenter,
                         QString::fromLatin1(point.name));
    }
}

void CompassGauge::drawData(QPainter &painter) const
{
    const CompassColours &colours = compassColours(colourScheme());
    painter.rotate(m_bearing);

    // Drawn pointing up; the rotation above turns it to the bearing. It stays
    // inside the ring of labels so that none is ever hidden, and only the head
    // is coloured, so the arrow's direction reads at a glance.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(colours.shaft));
    painter.drawRect(QRectF(-2.5, -34, 5, 80));
    for (qreal side : {-1.0, 1.0}) {
        painter.drawPolygon(QPolygonF{{
            QPointF(side * 2.5, 30),
            QPointF(side * 10, 40),
            QPointF(side * 10, 54),
            QPointF(side * 2.5, 46),
        }});
    }

    // The head is drawn several times a second while the arrow turns: its
    // outline is filled as the shape the pen would stroke, worked out once.
    QLinearGradient head(-14, 0, 14, 0);
    head.setColorAt(0, QColor(colours.arrowHeadLight));
    head.setColorAt(1, QColor(colours.arrowHeadDark));
    painter.setBrush(head);
    const QPolygonF headShape = arrowHead();
    drawInBands(painter, headShape.boundingRect(), [&] { painter.drawPolygon(headShape); });
    painter.setBrush(QColor(colours.arrowOutline));
    painter.drawPath(m_headOutline);

    drawHub(painter, 7);
}

QPolygonF CompassGauge::dataOutline() const
{
    // The arrow as drawData() draws it, turned: head tip at -56, fins down to
    // 54, 14 to either side, with room for the head's mitred outline.
    return QTransform().rotate(m_bearing).map(QPolygonF(QRectF(-18, -60, 36, 116)));
}
