#include "widgets/compassgauge.h"
#include "widgets/gaugewidget.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QVariantAnimation>
#include <QtTest>

// Reaches the dials' drawing helpers.
class BandedFill : public GaugeFace
{
public:
    using GaugeFace::drawInBands;
};

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
    void turnsLeaveNoTrace_data();
    void turnsLeaveNoTrace();
    void newTurnStartsWhereArrowIs();
    void arrowFollowsFastStream();
    void bandsMatchOnePiece_data();
    void bandsMatchOnePiece();
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

void tst_Gauges::turnsLeaveNoTrace_data()
{
    QTest::addColumn<QStringList>("angles");

    QTest::newRow("small steps") << QStringList{"10", "17", "24", "31"};
    QTest::newRow("across north") << QStringList{"350", "357", "3", "10"};
    QTest::newRow("half turns") << QStringList{"45", "225", "45", "225"};
    QTest::newRow("diagonals") << QStringList{"135", "137", "315", "313"};
}

// A turn repaints only the arrow's surroundings: once it has stopped, the
// screen must hold exactly what a full paint of the gauge draws, with no
// trace of an earlier arrow.
void tst_Gauges::turnsLeaveNoTrace()
{
    QFETCH(QStringList, angles);

    QWidget window;
    window.resize(300, 260);
    GaugeWidget gauge(&window);
    gauge.setGeometry(24, 20, 249, 209);
    gauge.loadMovie(0, QStringLiteral("/wind/compass2.swf"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *turn = gauge.findChild<QVariantAnimation *>();
    QVERIFY(turn);

    for (const QString &angle : angles) {
        gauge.setVariable(QStringLiteral("Angle"), angle);
        QTRY_COMPARE(turn->state(), QAbstractAnimation::Stopped);
        QCoreApplication::processEvents();
        const QImage shown = window.screen()
                                 ->grabWindow(window.winId())
                                 .toImage()
                                 .convertToFormat(QImage::Format_RGB32);
        const QImage painted = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY2(shown == painted, qPrintable(angle));
    }
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// A turn that follows a finished one shows its first step only when the
// animation's first tick comes: nothing is painted as the turn is set up,
// least of all the arrow at its destination.
void tst_Gauges::newTurnStartsWhereArrowIs()
{
    GaugeWidget gauge;
    gauge.resize(249, 209);
    gauge.loadMovie(0, QStringLiteral("/wind/compass2.swf"));
    gauge.show();
    QVERIFY(QTest::qWaitForWindowExposed(&gauge));
    auto *turn = gauge.findChild<QVariantAnimation *>();
    QVERIFY(turn);

    for (const QString &angle : {QStringLiteral("7"), QStringLiteral("14"), QStringLiteral("21")}) {
        PaintCounter counter;
        gauge.installEventFilter(&counter);
        gauge.setVariable(QStringLiteral("Angle"), angle);
        gauge.removeEventFilter(&counter);
        QCOMPARE(counter.paints, 0);
        QTRY_COMPARE(turn->state(), QAbstractAnimation::Stopped);
    }
}

// New directions that come faster than the arrow's frames still move it: each
// new turn must not put off the next frame.
void tst_Gauges::arrowFollowsFastStream()
{
    GaugeWidget gauge;
    gauge.resize(249, 209);
    gauge.loadMovie(0, QStringLiteral("/wind/compass2.swf"));
    gauge.show();
    QVERIFY(QTest::qWaitForWindowExposed(&gauge));

    PaintCounter counter;
    gauge.installEventFilter(&counter);
    for (int step = 1; step <= 30; ++step) {
        gauge.setVariable(QStringLiteral("Angle"), QString::number(step * 5));
        QTest::qWait(10);
    }
    gauge.removeEventFilter(&counter);
    QVERIFY2(counter.paints >= 3, qPrintable(QString::number(counter.paints)));
}

void tst_Gauges::bandsMatchOnePiece_data()
{
    QTest::addColumn<double>("turn");
    QTest::addColumn<QPointF>("offset");
    QTest::addColumn<qreal>("pixelRatio");

    QTest::newRow("upright") << 0.0 << QPointF(60, 60) << qreal(1);
    QTest::newRow("turned, between pixels") << 37.3 << QPointF(60.4, 59.7) << qreal(1);
    QTest::newRow("on its side") << 90.0 << QPointF(60, 60) << qreal(1);
    QTest::newRow("turned, high resolution") << 211.9 << QPointF(60.25, 60.5) << qreal(2);
}

// A gradient shape drawn band by band leaves exactly the pixels it leaves
// when drawn in one piece.
void tst_Gauges::bandsMatchOnePiece()
{
    QFETCH(double, turn);
    QFETCH(QPointF, offset);
    QFETCH(qreal, pixelRatio);

    const QPolygonF shape{{QPointF(0, -56), QPointF(14, -24), QPointF(0, -32), QPointF(-14, -24)}};
    QLinearGradient gradient(-14, 0, 14, 0);
    gradient.setColorAt(0, QColor(0xff8a2a));
    gradient.setColorAt(1, QColor(0x7a2408));
    const auto draw = [&](bool banded) {
        QImage image(QSize(120, 120) * pixelRatio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(pixelRatio);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(offset);
        painter.scale(1.3, 1.3);
        painter.rotate(turn);
        painter.setPen(Qt::NoPen);
        painter.setBrush(gradient);
        if (banded)
            BandedFill::drawInBands(painter, shape.boundingRect(),
                                    [&] { painter.drawPolygon(shape); });
        else
            painter.drawPolygon(shape);
        return image;
    };
    const QImage whole = draw(false);
    QImage blank = whole;
    blank.fill(Qt::white);
    QVERIFY(whole != blank);
    QCOMPARE(draw(true), whole);
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
