#pragma once

#include "clockgauge.h"
#include "compassgauge.h"
#include "gaugemovie.h"

#include <QElapsedTimer>
#include <QWidget>

#include <limits>

class QTimer;
class QVariantAnimation;

// A built-in gauge in place of a movie player. The movie's file name chooses
// the gauge: "compass2.swf" a compass whose arrow follows the variable
// "Angle", "clock106.swf" a clock of local time; any other movie leaves the
// gauge blank. The file itself is never read.
class GaugeWidget : public QWidget, public GaugeMovie
{
    Q_OBJECT

public:
    explicit GaugeWidget(QWidget *parent = nullptr);
    ~GaugeWidget() override;

    void loadMovie(int layer, const QString &url) override;
    void setVariable(const QString &name, const QString &value) override;

    // The movie whose gauge is shown; empty while the gauge is blank.
    QString movieName() const;
    // Where the compass arrow points, or is turning to, in [0, 360).
    double compassBearing() const { return m_targetBearing; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    enum class Gauge { None, Compass, Clock };
    enum class ArrowPaint { Now, Later };

    void turnCompassTo(double bearing);
    void finishTurn(ArrowPaint when);
    void updateArrow(ArrowPaint when);
    void tickClock();
    void updateClockTimer();

    Gauge m_gauge = Gauge::None;
    CompassGauge m_compass;
    ClockGauge m_clock;
    double m_targetBearing = 0;
    double m_repaintedBearing = 0;
    QElapsedTimer m_sinceRepaint;
    // Where the arrow may show on screen: every bearing painted since the
    // arrow was last painted whole lies inside it.
    QRect m_arrowShown;
    // The bearing the screen shows the arrow at, whole and alone; not a
    // number while a partial paint has left that uncertain.
    double m_paintedBearing = std::numeric_limits<double>::quiet_NaN();
    QRectF m_faceSquare;
    QVariantAnimation *m_turn = nullptr;
    QTimer *m_clockTimer = nullptr;
};
