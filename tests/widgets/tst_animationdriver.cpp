#include "widgets/animationdriver.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QVariantAnimation>
#include <QtTest>

using namespace std::chrono_literals;

class tst_AnimationDriver : public QObject
{
    Q_OBJECT

private slots:
    void ticksAtItsInterval_data();
    void ticksAtItsInterval();
};

void tst_AnimationDriver::ticksAtItsInterval_data()
{
    QTest::addColumn<int>("intervalMs");
    QTest::addColumn<int>("durationMs");

    QTest::newRow("30 a second, a compass turn") << 30 << 150;
    QTest::newRow("10 a second, longer than a tick") << 100 << 350;
}

// An animation driven by it advances no more often than the interval, still
// reaches its end value, and leaves the driver idle once it has ended.
void tst_AnimationDriver::ticksAtItsInterval()
{
    QFETCH(int, intervalMs);
    QFETCH(int, durationMs);

    AnimationDriver driver{std::chrono::milliseconds(intervalMs)};
    driver.install();
    QVariantAnimation animation;
    animation.setDuration(durationMs);
    animation.setStartValue(0.0);
    animation.setEndValue(1.0);
    int steps = 0;
    double last = -1;
    connect(&animation, &QVariantAnimation::valueChanged, this, [&](const QVariant &value) {
        ++steps;
        last = value.toDouble();
    });
    QSignalSpy started(&driver, &QAnimationDriver::started);
    QElapsedTimer clock;
    clock.start();
    animation.start();
    QTRY_COMPARE_WITH_TIMEOUT(animation.state(), QAbstractAnimation::Stopped, 5000);
    const qint64 took = clock.elapsed();
    QTRY_VERIFY(!driver.isRunning());
    driver.uninstall();

    QCOMPARE(started.count(), 1);
    QCOMPARE(last, 1.0);
    // The start value, then one step a tick at most; Qt's own driver would
    // take about twice as many.
    QVERIFY2(steps <= 1 + durationMs / intervalMs + 1, qPrintable(QString::number(steps)));
    QVERIFY(took >= durationMs);
}

QTEST_MAIN(tst_AnimationDriver)
#include "tst_animationdriver.moc"
