// SPDX-License-Identifier: MIT
#include "windroseplot.h"

#include "core/barscalebands.h"

#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

// The logical square the rose is drawn in, its centre at 0, 0.
constexpr double HalfSide = 100;
constexpr double OuterRadius = 80;
constexpr double CalmRadius = 13;
// Each wedge leaves a little of its sector's 22.5 degrees free on each side.
constexpr double WedgeHalfDegrees = 9.5;

struct Colours
{
    QRgb background;
    QRgb text;
    QRgb rings;
    QRgb outline;
};

Colours coloursOf(ColourScheme scheme)
{
    if (scheme == ColourScheme::Night)
        return {NightRed::Deep, NightRed::Bright, NightRed::Faint, NightRed::Mid};
    return {0xffffffff, 0xff000000, 0xffa0a0a0, 0xff303030};
}

// The rings' spacing in percent: 1, 2 or 5 times a power of ten, at most
// four rings to the longest wedge.
double ringStep(double longest)
{
    for (double step = 0.1;; step *= 10) {
        for (const double factor : {1.0, 2.0, 5.0}) {
            if (longest <= 4 * step * factor)
                return step * factor;
        }
    }
}

// A piece of a wedge between two radii, around a compass direction.
QPainterPath wedgePiece(double centreDegrees, double inner, double outer)
{
    // Qt's angles run counter-clockwise from three o'clock; the compass's
    // clockwise from north.
    const double start = 90 - centreDegrees - WedgeHalfDegrees;
    const double span = 2 * WedgeHalfDegrees;
    QPainterPath path;
    path.arcMoveTo(QRectF(-outer, -outer, 2 * outer, 2 * outer), start);
    path.arcTo(QRectF(-outer, -outer, 2 * outer, 2 * outer), start, span);
    path.arcTo(QRectF(-inner, -inner, 2 * inner, 2 * inner), start + span, -span);
    path.closeSubpath();
    return path;
}

} // namespace

WindRosePlot::WindRosePlot(QWidget *parent)
    : QWidget(parent)
{
    setMinimumSize(180, 180);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void WindRosePlot::setRose(const WindRose &rose)
{
    m_rose = rose;
    update();
}

void WindRosePlot::setColourScheme(ColourScheme scheme)
{
    m_colourScheme = scheme;
    update();
}

QSize WindRosePlot::sizeHint() const
{
    return {260, 260};
}

void WindRosePlot::paintEvent(QPaintEvent *)
{
    const Colours colours = coloursOf(m_colourScheme);
    QPainter painter(this);
    painter.fillRect(rect(), QColor(colours.background));
    painter.setRenderHint(QPainter::Antialiasing);
    const double side = std::min(width(), height());
    painter.translate(width() / 2.0, height() / 2.0);
    painter.scale(side / (2 * HalfSide), side / (2 * HalfSide));

    double longest = 0;
    for (int sector = 0; sector < WindRoseRules::sectors; ++sector)
        longest = std::max(longest, m_rose.percentOf(m_rose.sectorCount(sector)));
    const double step = ringStep(longest > 0 ? longest : 10);
    const double ringsTo = std::max(1.0, std::ceil(longest / step - 1e-9)) * step;
    const auto radius = [&](double percent) {
        return CalmRadius + (OuterRadius - CalmRadius) * percent / ringsTo;
    };

    QFont font = painter.font();
    font.setPointSizeF(6);
    painter.setFont(font);
    QPen ringPen(QColor(colours.rings), 0.6, Qt::DashLine);
    const QLocale locale;
    for (double ring = step; ring <= ringsTo + step / 2; ring += step) {
        const double r = radius(ring);
        painter.setPen(ringPen);
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(0, 0), r, r);
        painter.setPen(QColor(colours.text));
        painter.drawText(QPointF(r * 0.72 + 1, r * 0.72 + 6),
                         locale.toString(ring, 'f', QLocale::FloatingPointShortest) + " %");
    }

    const bool night = m_colourScheme == ColourScheme::Night;
    painter.setPen(QPen(QColor(colours.outline), 0.4));
    for (int sector = 0; sector < WindRoseRules::sectors; ++sector) {
        double share = 0;
        for (int force = 1; force <= WindRoseRules::forces; ++force) {
            const double piece = m_rose.percentOf(m_rose.count(sector, force));
            if (piece <= 0)
                continue;
            const BarScaleBand &band = beaufortForceBand(force);
            painter.setBrush(QColor(QRgb(night ? band.nightRgb : band.dayRgb)));
            painter.drawPath(wedgePiece(sector * WindRoseRules::sectorWidthDegrees, radius(share),
                                        radius(share + piece)));
            share += piece;
        }
    }

    // The calm share in the centre, and the eight main points around.
    painter.setBrush(QColor(colours.background));
    painter.setPen(QPen(QColor(colours.outline), 0.6));
    painter.drawEllipse(QPointF(0, 0), CalmRadius, CalmRadius);
    painter.setPen(QColor(colours.text));
    const QString calm = m_rose.sampleCount() > 0
        ? locale.toString(m_rose.percentOf(m_rose.calmCount()), 'f', 0) + " %"
        : QString();
    painter.drawText(QRectF(-CalmRadius, -CalmRadius, 2 * CalmRadius, 2 * CalmRadius),
                     Qt::AlignCenter, calm);
    font.setPointSizeF(8);
    font.setBold(true);
    painter.setFont(font);
    for (int sector = 0; sector < WindRoseRules::sectors; sector += 2) {
        const double radians = qDegreesToRadians(sector * WindRoseRules::sectorWidthDegrees);
        const QPointF at(std::sin(radians) * (OuterRadius + 10),
                         -std::cos(radians) * (OuterRadius + 10));
        painter.drawText(QRectF(at.x() - 12, at.y() - 6, 24, 12), Qt::AlignCenter,
                         windRoseSectorName(sector));
    }
}
