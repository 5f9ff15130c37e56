#include "gaugewidget.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QTimer>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr QLatin1String CompassMovie("compass2.swf");
constexpr QLatin1String ClockMovie("clock106.swf");
constexpr QLatin1String AngleVariable("Angle");

constexpr int TurnDuration = 150;
// Degrees; at the arrow's tip about half a pixel on the window's compass.
constexpr double MinimumVisibleTurn = 0.5;
// The turn is drawn at about 30 frames a second. A frame is due 25 ms after
// the last one rather than 30, so that every tick of an animation driver
// that ticks every 30 ms gets through, and every other tick of Qt's own,
// which ticks every 16 ms.
constexpr qint64 TurnFrameInterval = 25; // ms

// The last component of a movie's path. Paths built the Windows way use
// backslashes, so both separators count whatever the platform.
QString fileNameOf(const QString &url)
{
    const qsizetype slash
        = std::max(url.lastIndexOf(QLatin1Char('/')), url.lastIndexOf(QLatin1Char('\\')));
    return url.mid(slash + 1);
}

} // namespace

GaugeWidget::GaugeWidget(QWidget *parent)
    : QWidget(parent)
    , m_turn(new QVariantAnimation(this))
    , m_clockTimer(new QTimer(this))
{
    // The gauge paints its own background, in its palette's colour, the
    // colour of the window it stands on: a turn of the arrow then repaints
    // the gauge alone, not the window under it as well, with one painter.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_sinceRepaint.start();
    m_turn->setDuration(TurnDuration);
    m_turn->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_turn, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        // Setting a new turn's start and end makes a stopped animation
        // report its value at the time it stopped; that is no step.
        if (m_turn->state() != QAbstractAnimation::Running)
            return;
        const double bearing = value.toDouble();
        // Once the rest of the turn would move the tip by less than half a
        // pixel, the arrow goes the rest of the way at once: nobody could see
        // the remaining steps, and each would wake the event loop.
        if (std::abs(m_turn->endValue().toDouble() - bearing) < MinimumVisibleTurn) {
            finishTurn(ArrowPaint::Now);
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
            updateArrow(ArrowPaint::Now);
        }
    });
    connect(m_turn, &QVariantAnimation::finished, this, [this] { finishTurn(ArrowPaint::Now); });

    m_clockTimer->setInterval(1000);
    connect(m_clockTimer, &QTimer::timeout, this, &GaugeWidget::tickClock);
}

GaugeWidget::~GaugeWidget() = default;

void GaugeWidget::loadMovie(int layer, const QString &url)
{
    // Every movie replaces the one before, whatever its layer.
    Q_UNUSED(layer);

    const QString name = fileNameOf(url);
    if (name == CompassMovie)
        m_gauge = Gauge::Compass;
    else if (name == ClockMovie)
        m_gauge = Gauge::Clock;
    else
        m_gauge = Gauge::None;

    m_turn->stop();
    m_targetBearing = 0;
    m_compass.setBearing(0);
    updateClockTimer();
    update();
}

void GaugeWidget::setVariable(const QString &name, const QString &value)
{
    if (m_gauge != Gauge::Compass || name != AngleVariable)
        return;
    bool ok = false;
    const double angle = value.toDouble(&ok);
    // "nan" and "inf" parse as numbers, but no arrow can point at them.
    if (!ok || !std::isfinite(angle))
        return;
    turnCompassTo(angle);
}

QString GaugeWidget::movieName() const
{
    switch (m_gauge) {
    case Gauge::Compass:
        return CompassMovie;
    case Gauge::Clock:
        return ClockMovie;
    case Gauge::None:
        break;
    }
    return {};
}

void GaugeWidget::turnCompassTo(double bearing)
{
    m_targetBearing = CompassGauge::normalizedBearing(bearing);
    m_turn->stop();
    const double from = m_compass.bearing();
    const double turn = CompassGauge::shortestTurn(from, m_targetBearing);
    if (!isVisible() || turn == 0) {
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
}

void GaugeWidget::finishTurn(ArrowPaint when)
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
void GaugeWidget::updateArrow(ArrowPaint when)
{
    const QRect area = m_arrowShown.united(m_compass.dataPixels(m_faceSquare));
    if (when == ArrowPaint::Now)
        repaint(area);
    else
        update(area);
}

// The clock is drawn inside its face square; the widget around it shows
// only the background. Painted at once, as a step of the turn is.
void GaugeWidget::tickClock()
{
    repaint(m_faceSquare.toAlignedRect());
}

void GaugeWidget::updateClockTimer()
{
    // The clock ticks only while someone can see it.
    if (m_gauge == Gauge::Clock && isVisible())
        m_clockTimer->start();
    else
        m_clockTimer->stop();
}

void GaugeWidget::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QColor background = palette().color(backgroundRole());
    // A dial paints its whole face square itself; around it, and on a blank
    // gauge, the background shows.
    const QRegion around
        = m_gauge == Gauge::None ? event->region() : event->region() - m_faceSquare.toAlignedRect();
    for (const QRect &rect : around)
        painter.fillRect(rect, background);
    switch (m_gauge) {
    case Gauge::Compass: {
        m_compass.paint(painter, m_faceSquare, background);
        const QRect arrow = m_compass.dataPixels(m_faceSquare);
        const bool earlierArrowsGone = (QRegion(m_arrowShown) - event->region()).isEmpty();
        const bool arrowWhole = (QRegion(arrow) - event->region()).isEmpty();
        m_arrowShown = earlierArrowsGone ? arrow : m_arrowShown.united(arrow);
        m_paintedBearing = earlierArrowsGone && arrowWhole
            ? m_compass.bearing()
            : std::numeric_limits<double>::quiet_NaN();
        break;
    }
    case Gauge::Clock:
        m_clock.setTime(QTime::currentTime());
        m_clock.paint(painter, m_faceSquare, background);
        break;
    case Gauge::None:
        break;
    }
}

void GaugeWidget::resizeEvent(QResizeEvent *event)
{
    m_faceSquare = GaugeFace::faceSquare(event->size());
    QWidget::resizeEvent(event);
}

void GaugeWidget::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updateClockTimer();
}

void GaugeWidget::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // Nobody sees the arrow turn, so it may as well be there already.
    finishTurn(ArrowPaint::Later);
    updateClockTimer();
}

// Built with this file rather than in the library's shared moc object, which
// would drag every other widget of the static library into whatever links
// the gauge.
#include "moc_gaugewidget.cpp"
