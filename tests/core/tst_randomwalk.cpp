// SPDX-License-Identifier: MIT
#include "core/randomwalk.h"

#include <QTest>

#include <cmath>

class tst_RandomWalk : public QObject
{
    Q_OBJECT

private slots:
    void drawsRepeatAndStayBelowOne();
    void walkStep_data();
    void walkStep();
};

void tst_RandomWalk::drawsRepeatAndStayBelowOne()
{
    SingleDraws first;
    SingleDraws second;
    for (int i = 0; i < 1000000; ++i) {
        const float draw = first.next();
        QCOMPARE(draw, second.next());
        QVERIFY(draw >= 0.0f && draw < 1.0f);
    }
}

void tst_RandomWalk::walkStep_data()
{
    QTest::addColumn<QList<float>>("draws");
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("stepSize");
    QTest::addColumn<float>("threshold");
    QTest::addColumn<double>("expected");
    QTest::addColumn<int>("drawsUsed");

    QTest::newRow("at the threshold: no move")
        << QList<float>{0.5f} << 10.0 << 20.0 << 0.5f << 10.0 << 1;
    QTest::newRow("speed threshold") << QList<float>{0.55f} << 3.0 << 2.0 << 0.55f << 3.0 << 1;
    QTest::newRow("up") << QList<float>{0.75f, 0.75f, 0.25f} << 10.0 << 20.0 << 0.5f << 15.0 << 3;
    QTest::newRow("exactly one half goes down")
        << QList<float>{0.75f, 0.5f, 0.25f} << 10.0 << 20.0 << 0.5f << 5.0 << 3;
    QTest::newRow("below zero is left to the display")
        << QList<float>{0.9f, 0.1f, 0.75f} << 0.4 << 2.0 << 0.55f << -1.1 << 3;
    QTest::newRow("single-precision draw, double sum")
        << QList<float>{0.9f, 0.9f, 0.1f} << 0.0 << 20.0 << 0.5f << double(0.1f) * 20.0 << 3;
}

void tst_RandomWalk::walkStep()
{
    QFETCH(QList<float>, draws);
    QFETCH(double, value);
    QFETCH(double, stepSize);
    QFETCH(float, threshold);
    QFETCH(double, expected);
    QFETCH(int, drawsUsed);

    int used = 0;
    const double result
        = randomWalkStep(value, stepSize, threshold, [&] { return draws.value(used++, 0.0f); });
    QVERIFY(std::abs(result - expected) < 1e-12);
    QCOMPARE(value, result);
    QCOMPARE(used, drawsUsed);
}

QTEST_MAIN(tst_RandomWalk)
#include "tst_randomwalk.moc"
