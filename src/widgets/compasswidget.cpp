// SPDX-License-Identifier: MIT
#include "compasswidget.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QVariantAnimation>

#include <cmath>

namespace {

constexpr int TurnDuration = 150;
// Degrees; at the arrow's tip about half a pixel on the window's compass.
constexpr double MinimumVisibleTurn = 0.5;
// Degrees; at the arrow's tip about two pixels. The end of an eased turn
// creeps: a 20 degree turn spends its last 60 ms on its last 1.3 degrees.
constexpr double FinishingTurn = 2;
// The turn is drawn at about 30 frames a second. A frame is due 25 ms after
// the last one rather than 30, so that every tick of an animation driver
// that ticks every 30 ms gets through, and every other tick of Qt's own,
// which ticks every 16 ms.
constexpr qint64 TurnFrameInterval = 25; // ms
// Where a turn starts: its first frame is drawn at once.
constexpr int FirstTurnFrame = 30; // ms
// Degrees; the tip moves about eight pixels. A smaller turn would take two
// or three frames of a few pixels each, each on a wake-up of its own, which
// shows no more than a step does; a sensor's steady wind turns the arrow by
// a few degrees every second.
constexpr double SmallestGlide = 8;

// The ring lies over the dial's rim, in the dial's logical units, so the
// window's layout stays as it is.
constexpr qreal RingRadius = 95;
constexpr qreal RingWidth = 7;
constexpr QRgb DayRing = 0xffe00000;

} // namespace

CompassWidget::CompassWidget(QWidget *parent)
    : GaugeWidget(parent)
    , m_turn(new QVariantAnimation(this))
    , m_blinkTimer(new QTimer(this))
{
    m_blinkTimer->setInterval(RingBlinkMs);
    connect(m_blinkTimer, &QTimer::timeout, this, [this] {
        m_blinkLit = !m_blinkLit;
        update(ringArea());
    });
    m_sinceRepaint.start();
    m_turn->setDuration(TurnDuration);
    m_turn->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_turn, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        // Setting a new turn's start and end makes a stopped animation
        // report its value at the time it stopped; that is no step.
        if (m_turn->state() != QAbstractAnimation::Running)
            return;
        const double bearing = value.toDouble();
        // Once the rest of the turn would move the tip by less than two
        // pixels, the arrow goes the rest of the way at once: the remaining
        // steps would hardly show, and each would wake the process and send
        // the arrow's pixels to the display again.
        if (std::abs(m_turn->endValue().toDouble() - bearing) < FinishingTurn) {
            finishTurn(m_stepPaint);
            return;
        }
        // The turn is drawn at about 30 frames a second, and steps that move
        // the arrow's tip by less than half a pixel not at all: a sensor's
        // steady stream of small turns then costs little CPU.
        m_compass.setBearing(bearing);
        if (std::abs(bearing - m_repaintedBearing) >= MinimumVisibleTurn
            && m_sinceRepaint.elapsed() >= TurnFrameInterval) {
            m_repaintedBearing = bearing;
            m_sinceRepaint.start();
            updateArrow(m_stepPaint);
        }
    });
    connect(m_turn, &QVariantAnimation::finished, this, [this] { finishTurn(ArrowPaint::Now); });
}

CompassWidget::~CompassWidget() = default;

void CompassWidget::setWindDirection(double degrees)
{
    // No arrow can point at an infinity.
    if (!std::isfinite(degrees))
        return;
    turnTo(degrees + 180);
}

void CompassWidget::setRing(Ring ring)
{
    if (ring == m_ring)
        return;
    m_ring = ring;
    // A call for attention starts lit.
    m_blinkLit = true;
    updateBlinking();
    update(ringArea());
}

bool CompassWidget::isRingLit() const
{
    return m_ring == Ring::Steady || (m_ring == Ring::Blinking && m_blinkLit);
}

void CompassWidget::updateBlinking()
{
    if (m_ring == Ring::Blinking && isVisible()) {
        if (!m_blinkTimer->isActive())
            m_blinkTimer->start();
    } else {
        m_blinkTimer->stop();
    }
}

void CompassWidget::setColourScheme(ColourScheme scheme)
{
    m_compass.setColourScheme(scheme);
    update();
}

void CompassWidget::turnTo(double bearing)
{
    m_targetBearing = CompassGauge::normalizedBearing(bearing);
    m_turn->stop();
    const double from = m_compass.bearing();
    const double turn = CompassGauge::shortestTurn(from, m_targetBearing);
    if (!isVisible() || std::abs(turn) < SmallestGlide) {
        finishTurn(ArrowPaint::Later);
        return;
    }
    // The frame interval runs on from the last repaint, not from the start of
    // the turn: frames that come faster than it would otherwise restart it
    // for ever and freeze the arrow.
    m_repaintedBearing = from;
    // The end value may leave [0, 360): 357 to 3 runs from 357 to 363, and the
    // painter folds each step back onto the dial.
    m_turn->setStartValue(from);
    m_turn->setEndValue(from + turn);
    m_turn->start();
    // The turn's first frame goes to the screen with whatever else asked for
    // the turn, the readouts of the same reading, in one repaint, instead of
    // a frame interval later on a wake-up of its own.
    m_stepPaint = ArrowPaint::Later;
    m_turn->setCurrentTime(FirstTurnFrame);
    m_stepPaint = ArrowPaint::Now;
}

void CompassWidget::finishTurn(ArrowPaint when)
{
    m_turn->stop();
    m_compass.setBearing(m_targetBearing);
    // A wind that keeps its direction finds the arrow painted where it is.
    if (m_compass.bearing() != m_paintedBearing)
        updateArrow(when);
}

// Only the arrow moves, over a dial that stays as it was: the rest of the
// gauge need not be painted again. A step of the turn is painted at once:
// it is what woke the event loop, and a posted repaint would take the loop
// round once more.
void CompassWidget::updateArrow(ArrowPaint when)
{
    const QRect area = m_arrowShown.united(m_compass.dataPixels(faceSquare()));
    if (when == ArrowPaint::Now)
        repaint(area);
    else
        update(area);
}

void CompassWidget::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    paintAround(painter, event->region());
    m_compass.paint(painter, faceSquare(), background());
    const QRect arrow = m_compass.dataPixels(faceSquare());
    const bool earlierArrowsGone = (QRegion(m_arrowShown) - event->region()).isEmpty();
    const bool arrowWhole = (QRegion(arrow) - event->region()).isEmpty();
    m_arrowShown = earlierArrowsGone ? arrow : m_arrowShown.united(arrow);
    m_paintedBearing = earlierArrowsGone && arrowWhole ? m_compass.bearing()
                                                       : std::numeric_limits<double>::quiet_NaN();

    if (isRingLit() && event->region().intersects(ringArea()))
        painter.drawImage(faceSquare().toAlignedRect().topLeft(), ringPicture());
}

// Drawn once for the size and the colours, then copied: a blinking ring
// repaints once a second for as long as nobody answers it.
const QImage &CompassWidget::ringPicture()
{
    const QRect pixels = faceSquare().toAlignedRect();
    const qreal ratio = devicePixelRatioF();
    const QColor colour = m_compass.colourScheme() == ColourScheme::Night ? QColor(NightRed::Bright)
                                                                          : QColor(DayRing);
    if (m_ringPicture.size() == pixels.size() * ratio && m_ringPicture.devicePixelRatio() == ratio
        && m_ringColour == colour)
        return m_ringPicture;
    m_ringColour = colour;
    m_ringPicture = QImage(pixels.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    m_ringPicture.setDevicePixelRatio(ratio);
    m_ringPicture.fill(Qt::transparent);
    QPainter painter(&m_ringPicture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF square = faceSquare().translated(-pixels.topLeft());
    const qreal scale = square.width() / GaugeFace::LogicalSize;
    QPen pen(colour);
    pen.setWidthF(RingWidth * scale);
    painter.setPen(pen);
    painter.drawEllipse(square.center(), RingRadius * scale, RingRadius * scale);
    return m_ringPicture;
}

// The ring's bounding square, in which the dial fills all but the corners.
// One rectangle, not the ring's own shape: Qt copies the dial's kept
// picture into a rectangle at once, while a ring-shaped area costs it more
// than the whole dial (measured by alarm-ring-bench).
QRect CompassWidget::ringArea() const
{
    const QRectF square = faceSquare();
    const qreal outer = (RingRadius + RingWidth / 2) * square.width() / GaugeFace::LogicalSize + 1;
    return QRectF(square.center() - QPointF(outer, outer), QSizeF(2 * outer, 2 * outer))
        .toAlignedRect()
        .intersected(rect());
}

void CompassWidget::showEvent(QShowEvent *event)
{
    GaugeWidget::showEvent(event);
    updateBlinking();
}

void CompassWidget::hideEvent(QHideEvent *event)
{
    GaugeWidget::hideEvent(event);
    updateBlinking();
    // Nobody sees the arrow turn, so it may as well be there already.
    finishTurn(ArrowPaint::Later);
}

#include "moc_compasswidget.cpp"
