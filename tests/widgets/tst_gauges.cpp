// SPDX-License-Identifier: MIT
#include "widgets/animationdriver.h"
#include "widgets/clockgauge.h"
#include "widgets/clockwidget.h"
#include "widgets/compassgauge.h"
#include "widgets/compasswidget.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>
#include <QVariantAnimation>
#include <QtTest>

#include <limits>

class tst_Gauges : public QObject
{
    Q_OBJECT

private slots:
    void normalizedBearing_data();
    void normalizedBearing();
    void shortestTurn_data();
    void shortestTurn();

    void windDirectionTurnsTheArrow_data();
    void windDirectionTurnsTheArrow();

    void arrowPointsAtBearing_data();
    void arrowPointsAtBearing();
    void turnTakesShortArcAndStops();
    void turnsLeaveNoTrace();
    void turnsPaintOnTheirTicks();
    void turnStartsWithTheNextRepaint_data();
    void turnStartsWithTheNextRepaint();
    void bandsMatchOnePiece();
    void animationDriverPacesTicks();
    void clockTicksOnlyWhileShown();

    void ringRepaintsTheDialAlone_data();
    void ringRepaintsTheDialAlone();
    void ringBlinksCalmlyWhileShown();
    void tickRepaintsOnlyTheHands_data();
    void tickRepaintsOnlyTheHands();
};

void tst_Gauges::normalizedBearing_data()
{
    QTest::addColumn<double>("degrees");
    QTest::addColumn<double>("bearing");

    QTest::newRow("in range stays") << 123.5 << 123.5;
    QTest::newRow("full circle is north") << 360.0 << 0.0;
    QTest::newRow("539 is 179") << 539.0 << 179.0;
    QTest::newRow("negative wraps") << -90.0 << 270.0;
    QTest::newRow("negative beyond a circle") << -450.0 << 270.0;
    QTest::newRow("tiny negative is north, not 360") << -1e-15 << 0.0;
    QTest::newRow("large value") << 1000000.0 << 280.0;
}

void tst_Gauges::normalizedBearing()
{
    QFETCH(double, degrees);
    QFETCH(double, bearing);

    const double result = CompassGauge::normalizedBearing(degrees);
    QCOMPARE(result, bearing);
    QVERIFY(result >= 0 && result < 360);
}

void tst_Gauges::shortestTurn_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<double>("turn");

    QTest::newRow("357 to 3 crosses north clockwise") << 357.0 << 3.0 << 6.0;
    QTest::newRow("3 to 357 crosses north anticlockwise") << 3.0 << 357.0 << -6.0;
    QTest::newRow("opposite turns clockwise") << 0.0 << 180.0 << 180.0;
    QTest::newRow("opposite from 180 turns clockwise") << 180.0 << 0.0 << 180.0;
    QTest::newRow("10 to 190 is half a turn") << 10.0 << 190.0 << 180.0;
    QTest::newRow("539 is the same as 179") << 179.0 << 539.0 << 0.0;
    QTest::newRow("north to 539") << 0.0 << 539.0 << 179.0;
    QTest::newRow("negative target") << 10.0 << -10.0 << -20.0;
    QTest::newRow("negative start") << -90.0 << 0.0 << 90.0;
    QTest::newRow("large values") << 3600.0 << 7201.0 << 1.0;
    QTest::newRow("large values either side") << -720.0 << 1085.0 << 5.0;
    QTest::newRow("no turn") << 42.0 << 42.0 << 0.0;
}

void tst_Gauges::shortestTurn()
{
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(double, turn);

    QCOMPARE(CompassGauge::shortestTurn(from, to), turn);
}

static QImage render(QWidget &gauge)
{
    return gauge.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void tst_Gauges::windDirectionTurnsTheArrow_data()
{
    QTest::addColumn<double>("direction");
    QTest::addColumn<double>("bearing");

    const double infinity = std::numeric_limits<double>::infinity();
    // Every row starts from an arrow bearing of 90.
    QTest::newRow("north wind flows south") << 0.0 << 180.0;
    QTest::newRow("beyond a circle") << 359.0 << 179.0;
    QTest::newRow("fraction") << 12.5 << 192.5;
    QTest::newRow("negative") << -45.0 << 135.0;
    QTest::newRow("nan is ignored") << std::numeric_limits<double>::quiet_NaN() << 90.0;
    QTest::newRow("infinity is ignored") << infinity << 90.0;
}

void tst_Gauges::windDirectionTurnsTheArrow()
{
    QFETCH(double, direction);
    QFETCH(double, bearing);

    CompassWidget gauge;
    gauge.setWindDirection(270);
    gauge.setWindDirection(direction);
    QCOMPARE(gauge.arrowBearing(), bearing);
}

void tst_Gauges::arrowPointsAtBearing_data()
{
    QTest::addColumn<double>("wind");
    QTest::addColumn<QPoint>("direction");

    QTest::newRow("north wind flows down") << 0.0 << QPoint(0, 1);
    QTest::newRow("south wind flows up") << 180.0 << QPoint(0, -1);
    QTest::newRow("west wind flows right") << 270.0 << QPoint(1, 0);
    QTest::newRow("east wind flows left") << 90.0 << QPoint(-1, 0);
    QTest::newRow("359 flows down") << 359.0 << QPoint(0, 1);
}

// Counts the arrow head's warm pixels on either side of the centre: the side
// the arrow points to must hold nearly all of them.
void tst_Gauges::arrowPointsAtBearing()
{
    QFETCH(double, wind);
    QFETCH(QPoint, direction);

    CompassWidget gauge;
    gauge.resize(249, 209);
    gauge.setWindDirection(wind);

    const QImage image = render(gauge);
    const QPoint centre = image.rect().center();
    int ahead = 0;
    int behind = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            if (colour.red() < 200 || colour.green() > 170 || colour.blue() > 110)
                continue;
            const int along = QPoint::dotProduct(QPoint(x, y) - centre, direction);
            if (along > 0)
                ++ahead;
            else if (along < 0)
                ++behind;
        }
    }
    QVERIFY2(ahead > 100, qPrintable(QString::number(ahead)));
    QVERIFY2(behind * 10 < ahead, qPrintable(QStringLiteral("%1 / %2").arg(behind).arg(ahead)));
}

void tst_Gauges::turnTakesShortArcAndStops()
{
    CompassWidget gauge;
    gauge.resize(249, 209);
    gauge.setWindDirection(175);
    gauge.show();
    QVERIFY(QTest::qWaitForWindowExposed(&gauge));

    auto *turn = gauge.findChild<QVariantAnimation *>();
    QVERIFY(turn);
    QCOMPARE(turn->state(), QAbstractAnimation::Stopped);

    gauge.setWindDirection(185);
    QCOMPARE(turn->state(), QAbstractAnimation::Running);
    QCOMPARE(turn->endValue().toDouble() - turn->startValue().toDouble(), 10.0);
    QCOMPARE(gauge.arrowBearing(), 5.0);
    // Nothing keeps running once the arrow has arrived.
    QTRY_COMPARE_WITH_TIMEOUT(turn->state(), QAbstractAnimation::Stopped, 1000);

    // A hidden gauge does not animate at all.
    gauge.hide();
    gauge.setWindDirection(20);
    QCOMPARE(turn->state(), QAbstractAnimation::Stopped);
}

namespace {
struct BandedFill : GaugeFace
{
    using GaugeFace::drawInBands;
};

struct PaintCounter : QObject
{
    int paints = 0;
    QRegion painted;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            painted += static_cast<QPaintEvent *>(event)->region();
        }
        return false;
    }
};

// The gauge shown as a compass; its turn, or null.
QVariantAnimation *showCompass(CompassWidget &gauge)
{
    gauge.resize(249, 209);
    gauge.show();
    return QTest::qWaitForWindowExposed(&gauge) ? gauge.findChild<QVariantAnimation *>() : nullptr;
}
} // namespace

// A turn repaints only around the arrow: once it has stopped, the screen
// must hold exactly what a full paint draws, with no trace of an earlier arrow.
void tst_Gauges::turnsLeaveNoTrace()
{
    CompassWidget gauge;
    QVariantAnimation *turn = showCompass(gauge);
    QVERIFY(turn);
    // Small steps across north, then half turns between diagonals.
    for (const double wind : {170, 177, 183, 190, 315, 135, 133, 313}) {
        gauge.setWindDirection(wind);
        QTRY_COMPARE(turn->state(), QAbstractAnimation::Stopped);
        QCoreApplication::processEvents();
        const QImage shown = gauge.screen()->grabWindow(gauge.winId()).toImage();
        QCOMPARE(shown.convertToFormat(QImage::Format_RGB32),
                 gauge.grab().toImage().convertToFormat(QImage::Format_RGB32));
    }
}

// Setting up a turn paints nothing there and then; directions that come
// faster than its frames still move it.
void tst_Gauges::turnsPaintOnTheirTicks()
{
    CompassWidget gauge;
    QVariantAnimation *turn = showCompass(gauge);
    QVERIFY(turn);
    PaintCounter counter;
    gauge.installEventFilter(&counter);
    for (const double wind : {187, 194}) {
        gauge.setWindDirection(wind);
        QCOMPARE(counter.paints, 0);
        QTRY_COMPARE(turn->state(), QAbstractAnimation::Stopped);
        counter.paints = 0;
    }
    for (int wind = 200; wind <= 350; wind += 5) {
        gauge.setWindDirection(wind);
        QTest::qWait(10);
    }
    QVERIFY(counter.paints >= 3);
}

void tst_Gauges::turnStartsWithTheNextRepaint_data()
{
    QTest::addColumn<double>("wind");
    QTest::addColumn<bool>("glides");

    // Every row starts from a wind of 100 degrees.
    QTest::newRow("7 degrees: one step") << 107.0 << false;
    QTest::newRow("7 degrees back across the start: one step") << 93.0 << false;
    QTest::newRow("45 degrees: glides") << 145.0 << true;
}

// The turn's first frame is painted with whatever else the window repaints
// next, the readouts of the same reading, not on a tick of its own; a small
// turn needs no other frame, a large one glides on to its end.
void tst_Gauges::turnStartsWithTheNextRepaint()
{
    QFETCH(double, wind);
    QFETCH(bool, glides);

    CompassWidget gauge;
    gauge.setWindDirection(100);
    QVariantAnimation *turn = showCompass(gauge);
    QVERIFY(turn);
    PaintCounter counter;
    gauge.installEventFilter(&counter);
    QTest::qWait(50); // frames of a turn follow each other 25 ms apart at least

    gauge.setWindDirection(wind);
    // Posted events only: no timer of the turn can have fired yet.
    QCoreApplication::processEvents();
    QCOMPARE(counter.paints, 1);
    QCOMPARE(turn->state() == QAbstractAnimation::Running, glides);
    QTRY_COMPARE(turn->state(), QAbstractAnimation::Stopped);
    QCoreApplication::processEvents();
    QVERIFY2(glides ? counter.paints >= 3 : counter.paints == 1,
             qPrintable(QString::number(counter.paints)));
}

// A gradient shape drawn band by band leaves the pixels one piece leaves.
void tst_Gauges::bandsMatchOnePiece()
{
    const QPolygonF shape{{QPointF(0, -56), QPointF(14, -24), QPointF(0, -32), QPointF(-14, -24)}};
    // Turned, between pixels, on a screen of twice the resolution.
    const auto draw = [&](bool banded) {
        QImage image(240, 240, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(60.4, 59.7);
        painter.rotate(37.3);
        QLinearGradient gradient(-14, 0, 14, 0);
        gradient.setColorAt(0, Qt::yellow);
        gradient.setColorAt(1, Qt::red);
        painter.setBrush(gradient);
        const auto fill = [&] {
            painter.drawPolygon(shape);
        };
        banded ? BandedFill::drawInBands(painter, shape.boundingRect(), fill) : fill();
        return image;
    };
    QCOMPARE(draw(true), draw(false));
}

// An animation it drives advances once a tick at most (Qt's own driver
// would take about twice as many steps) and still reaches its end.
void tst_Gauges::animationDriverPacesTicks()
{
    AnimationDriver driver{std::chrono::milliseconds(30)};
    driver.install();
    QVariantAnimation animation;
    animation.setDuration(300);
    animation.setStartValue(0.0);
    animation.setEndValue(1.0);
    QSignalSpy steps(&animation, &QVariantAnimation::valueChanged);
    animation.start();
    QTRY_COMPARE(animation.state(), QAbstractAnimation::Stopped);
    driver.uninstall();
    QCOMPARE(steps.last().first().toDouble(), 1.0);
    QVERIFY2(steps.count() <= 12, qPrintable(QString::number(steps.count())));
}

void tst_Gauges::clockTicksOnlyWhileShown()
{
    ClockWidget gauge;
    auto *tick = gauge.findChild<QTimer *>();
    QVERIFY(tick);
    QVERIFY(!tick->isActive());

    gauge.show();
    QVERIFY(QTest::qWaitForWindowExposed(&gauge));
    QVERIFY(tick->isActive());
    QCOMPARE(tick->interval(), 1000);
    QSignalSpy ticks(&gauge, &ClockWidget::secondTicked);
    QVERIFY(ticks.wait(1500));

    gauge.hide();
    QVERIFY(!tick->isActive());
}

void tst_Gauges::ringRepaintsTheDialAlone_data()
{
    QTest::addColumn<CompassWidget::Ring>("from");
    QTest::addColumn<CompassWidget::Ring>("to");
    QTest::newRow("raised") << CompassWidget::Ring::Off << CompassWidget::Ring::Blinking;
    QTest::newRow("acknowledged") << CompassWidget::Ring::Blinking << CompassWidget::Ring::Steady;
    QTest::newRow("cleared") << CompassWidget::Ring::Steady << CompassWidget::Ring::Off;
}

// The ring comes and goes without repainting the window around the dial,
// and leaves no trace when it goes.
void tst_Gauges::ringRepaintsTheDialAlone()
{
    QFETCH(CompassWidget::Ring, from);
    QFETCH(CompassWidget::Ring, to);
    CompassWidget gauge;
    QVERIFY(showCompass(gauge));
    gauge.setRing(from);
    QTest::qWait(50);
    PaintCounter recorder;
    gauge.installEventFilter(&recorder);
    gauge.setRing(to);
    QTRY_VERIFY(!recorder.painted.isEmpty());

    const QPoint centre = gauge.rect().center();
    const int rim = int(95 * gauge.height() / GaugeFace::LogicalSize);
    QVERIFY(recorder.painted.contains(centre - QPoint(0, rim)));
    QVERIFY(!recorder.painted.contains(QPoint(0, 0)));
    const QImage shown = gauge.screen()->grabWindow(gauge.winId()).toImage();
    QCOMPARE(shown.convertToFormat(QImage::Format_RGB32), render(gauge));
    const QColor atRim = shown.pixelColor(centre - QPoint(0, rim));
    QVERIFY2((atRim.red() > 200 && atRim.green() < 40) == (to != CompassWidget::Ring::Off),
             qPrintable(atRim.name()));
}

void tst_Gauges::ringBlinksCalmlyWhileShown()
{
    CompassWidget gauge;
    QVERIFY(showCompass(gauge));
    auto *blink = gauge.findChild<QTimer *>();
    QVERIFY(blink);
    QVERIFY(!blink->isActive());
    gauge.setRing(CompassWidget::Ring::Blinking);
    QVERIFY(gauge.isRingLit());
    QElapsedTimer lit;
    lit.start();
    QTRY_VERIFY_WITH_TIMEOUT(!gauge.isRingLit(), 2000);
    // Well below three flashes a second, the rate that may set off a seizure.
    QVERIFY2(lit.elapsed() >= 500, qPrintable(QString::number(lit.elapsed())));

    gauge.hide();
    QVERIFY(!blink->isActive());
    gauge.show();
    QVERIFY(blink->isActive());
    gauge.setRing(CompassWidget::Ring::Steady);
    QVERIFY(!blink->isActive());
    QVERIFY(gauge.isRingLit());
}

void tst_Gauges::tickRepaintsOnlyTheHands_data()
{
    QTest::addColumn<QTime>("before");
    QTest::addColumn<QTime>("after");

    QTest::newRow("a second") << QTime(10, 10, 10) << QTime(10, 10, 11);
    QTest::newRow("the minute hand moves on") << QTime(3, 15, 59) << QTime(3, 16, 0);
    QTest::newRow("the hour hand moves on") << QTime(2, 59, 59) << QTime(3, 0, 0);
}

// Every pixel a tick changes lies where the hands were or are, and that is
// a small part of the face, or the tick leaves a trace or sends the whole
// face again.
void tst_Gauges::tickRepaintsOnlyTheHands()
{
    QFETCH(QTime, before);
    QFETCH(QTime, after);

    // The window's clock face, between pixels as a widget's may lie.
    const QRectF square(3.5, 2, 97, 97);
    ClockGauge clock;
    const auto face = [&](const QTime &time) {
        QImage image(105, 101, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        clock.setTime(time);
        clock.paint(painter, square, Qt::white);
        return image;
    };
    const QImage first = face(before);
    const QRegion hands = clock.handPixels(square);
    const QImage second = face(after);
    const QRegion repainted = hands + clock.handPixels(square);

    int changed = 0, outside = 0;
    for (int y = 0; y < first.height(); ++y) {
        for (int x = 0; x < first.width(); ++x) {
            const bool differs = first.pixel(x, y) != second.pixel(x, y);
            changed += differs;
            outside += differs && !repainted.contains(QPoint(x, y));
        }
    }
    QVERIFY(changed > 0);
    QCOMPARE(outside, 0);
    qint64 area = 0;
    for (const QRect &rect : repainted)
        area += qint64(rect.width()) * rect.height();
    QVERIFY2(area * 3 < 97 * 97, qPrintable(QString::number(area)));
}

QTEST_MAIN(tst_Gauges)
#include "tst_gauges.moc"
