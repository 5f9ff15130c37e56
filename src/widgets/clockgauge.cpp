// SPDX-License-Identifier: MIT
#include "clockgauge.h"

#include <QPainter>
#include <QPolygonF>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace {

struct ClockColours
{
    QRgb tick;
    QRgb numeral;
    QRgb hand;
    QRgb secondHand;
};

constexpr ClockColours DayClock = {0xff1c2a5a, 0xff1c2a5a, 0xff1c2a5a, 0xffc81e1e};
// The second hand stands apart from the others by its shade, as it does by
// its colour by day.
constexpr ClockColours NightClock = {NightRed::Mid, 0xffa00000, 0xffa00000, NightRed::Bright};

const ClockColours &clockColours(ColourScheme scheme)
{
    return scheme == ColourScheme::Night ? NightClock : DayClock;
}

constexpr qreal TickOuter = 86;
constexpr qreal NumeralRadius = 64;

constexpr qreal SecondHandLength = 80;
constexpr qreal SecondHandTail = 20;
constexpr qreal SecondHandWidth = 1.8;
constexpr qreal SecondHandDisc = 5;

// The hands drawn pointing at twelve, turned by their angles below.
QPolygonF hourHand()
{
    return QPolygonF{{
        QPointF(-5, 10),
        QPointF(5, 10),
        QPointF(3, -46),
        QPointF(0, -52),
        QPointF(-3, -46),
    }};
}

QPolygonF minuteHand()
{
    return QPolygonF{{
        QPointF(-4, 12),
        QPointF(4, 12),
        QPointF(2, -72),
        QPointF(0, -78),
        QPointF(-2, -72),
    }};
}

qreal hourAngle(const QTime &time)
{
    return 30.0 * (time.hour() % 12 + time.minute() / 60.0);
}

qreal minuteAngle(const QTime &time)
{
    return 6.0 * (time.minute() + time.second() / 60.0);
}

qreal secondAngle(const QTime &time)
{
    return 6.0 * time.second();
}

} // namespace

ClockGauge::ClockGauge()
{
    m_numeralFont.setStyleHint(QFont::SansSerif);
    m_numeralFont.setBold(true);
    m_numeralFont.setPixelSize(22);
}

void ClockGauge::drawMarkers(QPainter &painter) const
{
    QPen pen{QColor(clockColours(colourScheme()).tick)};
    pen.setCapStyle(Qt::FlatCap);
    for (int minute = 0; minute < 60; ++minute) {
        const bool hour = minute % 5 == 0;
        pen.setWidthF(hour ? 4 : 1.4);
        painter.setPen(pen);
        painter.drawLine(QPointF(0, -TickOuter), QPointF(0, -TickOuter + (hour ? 12 : 5)));
        painter.rotate(6);
    }
}

void ClockGauge::drawLabels(QPainter &painter) const
{
    // Only the quarters: on a dial this small, twelve numerals crowd out the
    // hands.
    painter.setFont(m_numeralFont);
    painter.setPen(QColor(clockColours(colourScheme()).numeral));
    for (int hour : {12, 3, 6, 9}) {
        const qreal radians = qDegreesToRadians(hour * 30.0);
        const QPointF centre(NumeralRadius * std::sin(radians), -NumeralRadius * std::cos(radians));
        painter.drawText(QRectF(centre.x() - 16, centre.y() - 13, 32, 26), Qt::AlignCenter,
                         QString::number(hour));
    }
}

void ClockGauge::drawData(QPainter &painter) const
{
    const ClockColours &colours = clockColours(colourScheme());

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(colours.hand));

    painter.save();
    painter.rotate(hourAngle(m_time));
    painter.drawConvexPolygon(hourHand());
    painter.restore();

    painter.save();
    painter.rotate(minuteAngle(m_time));
    painter.drawConvexPolygon(minuteHand());
    painter.restore();

    painter.save();
    painter.rotate(secondAngle(m_time));
    QPen second{QColor(colours.secondHand)};
    second.setWidthF(SecondHandWidth);
    second.setCapStyle(Qt::RoundCap);
    painter.setPen(second);
    painter.drawLine(QPointF(0, SecondHandTail), QPointF(0, -SecondHandLength));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(colours.secondHand));
    painter.drawEllipse(QPointF(0, 0), SecondHandDisc, SecondHandDisc);
    painter.restore();

    drawHub(painter, 2.5);
}

QRegion ClockGauge::handPixels(const QRectF &square) const
{
    // The second hand's line, its round caps and the disc at its centre,
    // which also covers the hub.
    const qreal reach = std::max(SecondHandDisc, SecondHandWidth / 2);
    const QPolygonF secondHand(QRectF(-reach, -SecondHandLength - reach, 2 * reach,
                                      SecondHandLength + SecondHandTail + 2 * reach));
    const std::pair<QPolygonF, qreal> hands[] = {
        {hourHand(), hourAngle(m_time)},
        {minuteHand(), minuteAngle(m_time)},
        {secondHand, secondAngle(m_time)},
    };
    QRegion region;
    for (const auto &[shape, angle] : hands)
        region += pixelsHolding(QTransform().rotate(angle).map(shape), square);
    return region;
}
