#include "widgets/animationdriver.h"
#include "widgets/compassgauge.h"
#include "widgets/gaugewidget.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>
#include <QVariantAnimation>
#include <QtTest>

class tst_Gauges : public QObject
{
    Q_OBJECT

private slots:
    void normalizedBearing_data();
    void normalizedBearing();
    void shortestTurn_data();
    void shortestTurn();

    void movieSelection_data();
    void movieSelection();
    void unknownMovieBlanksGauge();
    void setVariable_data();
    void setVariable();

    void arrowPointsAtBearing_data();
    void arrowPointsAtBearing();
    void turnTakesShortArcAndStops();
    void turnsLeaveNoTrace();
    void turnsPaintOnTheirTicks();
    void bandsMatchOnePiece();
    void animationDriverPacesTicks();
    void clockTicksOnlyWhileShown();
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

void tst_Gauges::movieSelection_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("movie");

    QTest::newRow("compass, Windows path") << "C:\\Wind\\compass2.swf"
                                           << "compass2.swf";
    QTest::newRow("clock, Windows path") << "C:\\Wind\\clock\\clock106.swf"
                                         << "clock106.swf";
    QTest::newRow("compass, Unix path") << "/home/wind/compass2.swf"
                                        << "compass2.swf";
    QTest::newRow("clock, mixed separators") << "/home/wind\\clock/clock106.swf"
                                             << "clock106.swf";
    QTest::newRow("bare file name") << "compass2.swf"
                                    << "compass2.swf";
    QTest::newRow("case differs") << "/home/wind/Compass2.swf" << QString();
    QTest::newRow("name only a prefix") << "/home/wind/compass2.swf.bak" << QString();
    QTest::newRow("movie name is a folder") << "/home/compass2.swf/other.swf" << QString();
    QTest::newRow("trailing separator") << "/home/wind/compass2.swf/" << QString();
    QTest::newRow("empty") << QString() << QString();
}

void tst_Gauges::movieSelection()
{
    QFETCH(QString, url);
    QFETCH(QString, movie);

    GaugeWidget gauge;
    gauge.loadMovie(0, url);
    QCOMPARE(gauge.movieName(), movie);
}

static QImage render(GaugeWidget &gauge)
{
    return gauge.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void tst_Gauges::unknownMovieBlanksGauge()
{
    GaugeWidget gauge;
    gauge.resize(120, 120);
    gauge.loadMovie(0, QStringLiteral("/wind/compass2.swf"));
    QVERIFY(render(gauge).pixel(60, 60) != render(gauge).pixel(0, 0));

    gauge.loadMovie(0, QStringLiteral("/wind/radar.swf"));
    QVERIFY(gauge.movieName().isEmpty());
    const QImage blank = render(gauge);
    const QRgb background = blank.pixel(0, 0);
    for (int y = 0; y < blank.height(); ++y)
        for (int x = 0; x < blank.width(); ++x)
            QCOMPARE(blank.pixel(x, y), background);
}

void tst_Gauges::setVariable_data()
{
    QTest::addColumn<QString>("movie");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<double>("bearing");

    const QString compass = QStringLiteral("compass2.swf");
    // Every row starts from a bearing of 90.
    QTest::newRow("north wind") << compass << "Angle"
                                << "180" << 180.0;
    QTest::newRow("beyond a circle") << compass << "Angle"
                                     << "539" << 179.0;
    QTest::newRow("fraction") << compass << "Angle"
                              << "12.5" << 12.5;
    QTest::newRow("negative") << compass << "Angle"
                              << "-45" << 315.0;
    QTest::newRow("surrounding blanks") << compass << "Angle"
                                        << " 225 " << 225.0;
    QTest::newRow("name case differs") << compass << "angle"
                                       << "180" << 90.0;
    QTest::newRow("unknown variable") << compass << "Speed"
                                      << "180" << 90.0;
    QTest::newRow("not a number") << compass << "Angle"
                                  << "north" << 90.0;
    QTest::newRow("empty value") << compass << "Angle"
                                 << "" << 90.0;
    QTest::newRow("trailing text") << compass << "Angle"
                                   << "180deg" << 90.0;
    QTest::newRow("nan") << compass << "Angle"
                         << "nan" << 90.0;
    QTest::newRow("infinity") << compass << "Angle"
                              << "inf" << 90.0;
    QTest::newRow("overflow") << compass << "Angle"
                              << "1e999" << 90.0;
    QTest::newRow("clock has no angle") << "clock106.swf"
                                        << "Angle"
                                        << "180" << 0.0;
    QTest::newRow("blank gauge has no angle") << "other.swf"
                                              << "Angle"
                                              << "180" << 0.0;
}

void tst_Gauges::setVariable()
{
    QFETCH(QString, movie);
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(double, bearing);

    GaugeWidget gauge;
    gauge.loadMovie(0, QStringLiteral("/wind/") + movie);
    gauge.setVariable(QStringLiteral("Angle"), QStringLiteral("90"));
    gauge.setVariable(name, value);
    QCOMPARE(gauge.compassBearing(), bearing);
}

void tst_Gauges::arrowPointsAtBearing_data()
{
    QTest::addColumn<QString>("angle");
    QTest::addColumn<QPoint>("direction");

    QTest::newRow("north wind flows down") << "180" << QPoint(0, 1);
    QTest::newRow("south wind flows up") << "0" << QPoint(0, -1);
    QTest::newRow("west wind flows right") << "90" << QPoint(1, 0);
    QTest::newRow("east wind flows left") << "270" << QPoint(-1, 0);
    QTest::newRow("539 flows down") << "539" << QPoint(0, 1);
}

// Counts the arrow head's warm pixels on either side of the centre: the side
// the arrow points to must hold nearly all of them.
void tst_Gauges::arrowPointsAtBearing()
{
    QFETCH(QString, angle);
    QFETCH(QPoint, direction);

    GaugeWidget gauge;
    gauge.resize(249, 209);
    gauge.loadMovie(0, QStringLiteral("/wind/compass2.swf"));
    gauge.setVariable(QStringLiteral("Angle"), angle);

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
    GaugeWidget gauge;
    gauge.resize(249, 209);
    gauge.loadMovie(0, QStringLiteral("/wind/compass2.swf"));
    gauge.setVariable(QStringLiteral("Angle"), QStringLiteral("357"));
    gauge.show();
    QVERIFY(QTest::qWaitForWindowExposed(&gauge));

    auto *turn = gauge.findChild<QVariantAnimation *>();
    QVERIFY(turn);
    QCOMPARE(turn->state(), QAbstractAnimation::Stopped);

    gauge.setVariable(QStringLiteral("Angle"), QStringLiteral("3"));
    QCOMPARE(turn->state(), QAbstractAnimation::Running);
    QCOMPARE(turn->endValue().toDouble() - turn->startValue().toDouble(), 6.0);
    QCOMPARE(gauge.compassBearing(), 3.0);
    // Nothing keeps running once the arrow has arrived.
    QTRY_COMPARE_WITH_TIMEOUT(turn->state(), QAbstractAnimation::Stopped, 1000);

    // A hidden gauge does not animate at all.
    gauge.hide();
    gauge.setVariable(QStringLiteral("Angle"), QStringLiteral("200"));
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
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// The gauge shown as a compass; its turn, or null.
QVariantAnimation *showCompass(GaugeWidget &gauge)
{
    gauge.resize(249, 209);
    gauge.loadMovie(0, QStringLiteral("/wind/compass2.swf"));
    gauge.show();
    return QTest::qWaitForWindowExposed(&gauge) ? gauge.findChild<QVariantAnimation *>() : nullptr;
}
} // namespace

// A turn repaints only around the arrow: once it has stopped, the screen
// must hold exactly what a full paint draws, with no trace of an earlier arrow.
void tst_Gauges::turnsLeaveNoTrace()
{
    GaugeWidget gauge;
    QVariantAnimation *turn = showCompass(gauge);
    QVERIFY(turn);
    // Small steps across north, then half turns between diagonals.
    for (const char *angle : {"350", "357", "3", "10", "135", "315", "313", "133"}) {
        gauge.setVariable(QStringLiteral("Angle"), QLatin1String(angle));
        QTRY_COMPARE(turn->state(), QAbstractAnimation::Stopped);
        QCoreApplication::processEvents();
        const QImage shown = gauge.screen()->grabWindow(gauge.winId()).toImage();
        QCOMPARE(shown.convertToFormat(QImage::Format_RGB32),
                 gauge.grab().toImage().convertToFormat(QImage::Format_RGB32));
    }
}

// Setting up a turn paints nothing, least of all the arrow at its
// destination; directions that come faster than its frames still move it.
void tst_Gauges::turnsPaintOnTheirTicks()
{
    GaugeWidget gauge;
    QVariantAnimation *turn = showCompass(gauge);
    QVERIFY(turn);
    PaintCounter counter;
    gauge.installEventFilter(&counter);
    for (const char *angle : {"7", "14"}) {
        gauge.setVariable(QStringLiteral("Angle"), QLatin1String(angle));
        QCOMPARE(counter.paints, 0);
        QTRY_COMPARE(turn->state(), QAbstractAnimation::Stopped);
        counter.paints = 0;
    }
    for (int angle = 20; angle <= 170; angle += 5) {
        gauge.setVariable(QStringLiteral("Angle"), QString::number(angle));
        QTest::qWait(10);
    }
    QVERIFY(counter.paints >= 3);
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
    GaugeWidget gauge;
    auto *tick = gauge.findChild<QTimer *>();
    QVERIFY(tick);

    gauge.loadMovie(0, QStringLiteral("C:\\Wind\\clock\\clock106.swf"));
    QVERIFY(!tick->isActive());

    gauge.show();
    QVERIFY(QTest::qWaitForWindowExposed(&gauge));
    QVERIFY(tick->isActive());
    QCOMPARE(tick->interval(), 1000);

    gauge.hide();
    QVERIFY(!tick->isActive());

    gauge.show();
    QVERIFY(tick->isActive());
    gauge.loadMovie(0, QStringLiteral("C:\\Wind\\compass2.swf"));
    QVERIFY(!tick->isActive());
}

QTEST_MAIN(tst_Gauges)
#include "tst_gauges.moc"
