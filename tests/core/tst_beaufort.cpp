// SPDX-License-Identifier: MIT
#include "core/beaufort.h"

#include <QTest>

#include <cmath>
#include <iterator>
#include <limits>

class tst_Beaufort : public QObject
{
    Q_OBJECT

private slots:
    void valueForSpeed_data();
    void valueForSpeed();
    void everyBoundaryTakesTheHigherStep_data();
    void everyBoundaryTakesTheHigherStep();
    void conditionTexts_data();
    void conditionTexts();
    void outsideTheScaleWritesNothing_data();
    void outsideTheScaleWritesNothing();
};

void tst_Beaufort::valueForSpeed_data()
{
    QTest::addColumn<double>("kmh");
    QTest::addColumn<double>("beaufort");

    QTest::newRow("negative") << -0.1 << 0.0;
    QTest::newRow("0 is not 0") << 0.0 << 0.1;
    QTest::newRow("0.05") << 0.05 << 0.1;
    QTest::newRow("0.1") << 0.1 << 0.2;
    QTest::newRow("0.3, not a sum of tenths") << 0.3 << 0.4;
    QTest::newRow("0.6") << 0.6 << 0.7;
    QTest::newRow("0.7") << 0.7 << 0.8;
    QTest::newRow("0.9 last of band 1") << 0.9 << 1.0;
    QTest::newRow("1.0 first of band 2") << 1.0 << 1.1;
    QTest::newRow("3.6") << 3.6 << 1.6;
    QTest::newRow("5.0") << 5.0 << 1.9;
    QTest::newRow("10.9 last of band 2") << 10.9 << 3.0;
    QTest::newRow("11.0 first of band 3") << 11.0 << 3.1;
    QTest::newRow("18.0") << 18.0 << 3.9;
    QTest::newRow("18.9 last of band 3") << 18.9 << 4.0;
    QTest::newRow("19.0 first of band 4") << 19.0 << 4.1;
    QTest::newRow("36.0") << 36.0 << 5.8;
    QTest::newRow("36.5") << 36.5 << 5.8;
    QTest::newRow("37.0") << 37.0 << 5.9;
    QTest::newRow("38.9 last of band 4") << 38.9 << 6.0;
    QTest::newRow("39.0 first of band 5") << 39.0 << 6.1;
    QTest::newRow("40.1") << 40.1 << 6.2;
    QTest::newRow("45.0") << 45.0 << 6.6;
    QTest::newRow("49.9 last of band 5") << 49.9 << 7.0;
    QTest::newRow("50.0 first of band 6") << 50.0 << 7.1;
    QTest::newRow("61.9 last of band 6") << 61.9 << 8.0;
    QTest::newRow("62.0 first of band 7") << 62.0 << 8.1;
    QTest::newRow("72.0") << 72.0 << 8.8;
    QTest::newRow("74.9 last of band 7") << 74.9 << 9.0;
    QTest::newRow("75.0 first of band 8") << 75.0 << 9.1;
    QTest::newRow("86.9 last of band 8") << 86.9 << 10.0;
    QTest::newRow("87.0 first of band 9") << 87.0 << 10.1;
    QTest::newRow("108.0") << 108.0 << 11.5;
    QTest::newRow("114.0") << 114.0 << 11.9;
    QTest::newRow("115.4") << 115.4 << 11.9;
    QTest::newRow("115.5") << 115.5 << 12.0;
    QTest::newRow("116.9") << 116.9 << 12.0;
    QTest::newRow("117.0") << 117.0 << 12.0;
    QTest::newRow("360.0") << 360.0 << 12.0;
    QTest::newRow("huge") << 1e300 << 12.0;
}

void tst_Beaufort::valueForSpeed()
{
    QFETCH(double, kmh);
    QFETCH(double, beaufort);
    // Exact: the result is compared with one-decimal bounds downstream.
    QCOMPARE(::kmhToBeaufort(kmh), beaufort);
}

// The 121 step boundaries, written as the one-decimal numbers they are.
// A speed on boundary i takes step i + 1, giving (i + 1) / 10; just below it
// still gives i / 10.
void tst_Beaufort::everyBoundaryTakesTheHigherStep_data()
{
    QTest::addColumn<double>("kmh");
    QTest::addColumn<double>("beaufort");
    QTest::addColumn<double>("beaufortJustBelow");

    const double boundaries[] = {
        0,    0.1,   0.2,  0.3,   0.4,  0.5,   0.6,  0.7,   0.8,  0.9,  1.0,  1.5,   2.0,  2.5,
        3.0,  3.5,   4.0,  4.5,   5.0,  5.5,   6.0,  6.5,   7.0,  7.5,  8.0,  8.5,   9.0,  9.5,
        10.0, 10.5,  11.0, 11.8,  12.6, 13.4,  14.2, 15.0,  15.8, 16.6, 17.4, 18.2,  19.0, 20,
        21,   22,    23,   24,    25,   26,    27,   28,    29,   30,   31,   32,    33,   34,
        35,   36,    37,   38,    39,   40.1,  41.2, 42.3,  43.4, 44.5, 45.6, 46.7,  47.8, 48.9,
        50,   51.2,  52.4, 53.6,  54.8, 56,    57.2, 58.4,  59.6, 60.8, 62,   63.3,  64.6, 65.9,
        67.2, 68.5,  69.8, 71.1,  72.4, 73.7,  75,   76.2,  77.4, 78.6, 79.8, 81,    82.2, 83.4,
        84.6, 85.8,  87,   88.5,  90,   91.5,  93,   94.5,  96,   97.5, 99,   100.5, 102,  103.5,
        105,  106.5, 108,  109.5, 111,  112.5, 114,  115.5, 117,
    };
    static_assert(std::size(boundaries) == 121);
    for (int i = 0; i < int(std::size(boundaries)); ++i) {
        const double kmh = boundaries[i];
        const double beaufort = i < 120 ? (i + 1) / 10.0 : 12.0;
        const double below = i / 10.0;
        QTest::addRow("boundary %d (%g km/h)", i, kmh) << kmh << beaufort << below;
    }
}

void tst_Beaufort::everyBoundaryTakesTheHigherStep()
{
    QFETCH(double, kmh);
    QFETCH(double, beaufort);
    QFETCH(double, beaufortJustBelow);
    QCOMPARE(::kmhToBeaufort(kmh), beaufort);
    QCOMPARE(::kmhToBeaufort(std::nextafter(kmh, -1.0)), beaufortJustBelow);
}

void tst_Beaufort::conditionTexts_data()
{
    QTest::addColumn<double>("beaufort");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("sea");
    QTest::addColumn<QString>("land");

    const QString calm = "DESCRIPTION: Calm";
    const QString flat = "SEA CONDITION: Flat";
    const QString smokeVertical = "LAND CONDITION: Calm. Smoke rises vertically";
    const QString lightAir = "DESCRIPTION: Light air";
    const QString ripples = "SEA CONDITION: Ripples without crests";
    const QString smokeMoves = "LAND CONDITION: Wind motion visible in smoke";
    const QString lightBreeze = "DESCRIPTION: Light breeze";
    const QString wavelets
        = "SEA CONDITION: Small wavelets. Crests of glassy appearance, not breaking";
    const QString leavesRustle = "LAND CONDITION: Wind felt on exposed skin. Leaves rustle";
    const QString violentStorm = "DESCRIPTION: Violent storm";
    const QString exceptional = "SEA CONDITION: Exceptionally high waves";
    const QString widespread = "LAND CONDITION: Widespread structural damage";
    const QString hurricane = "DESCRIPTION: Hurricane";
    const QString hugeWaves
        = "SEA CONDITION: Huge waves. Air filled with foam and spray. Sea completely white with "
          "driving spray. Visibility very greatly reduced";
    const QString massive = "LAND CONDITION: Massive and widespread damage to structures";

    QTest::newRow("0.0 from a negative speed") << 0.0 << calm << flat << smokeVertical;
    QTest::newRow("0.6") << 0.6 << calm << flat << smokeVertical;
    QTest::newRow("0.7, land still calm") << 0.7 << lightAir << ripples << smokeVertical;
    QTest::newRow("0.8") << 0.8 << lightAir << ripples << smokeMoves;
    QTest::newRow("1.8") << 1.8 << lightAir << ripples << smokeMoves;
    QTest::newRow("1.9 shared boundary, higher row wins")
        << 1.9 << lightBreeze << wavelets << leavesRustle;
    QTest::newRow("5.8") << 5.8 << "DESCRIPTION: Fresh breeze"
                         << "SEA CONDITION: Moderate (1.2 m) longer waves. Some foam and spray"
                         << "LAND CONDITION: Smaller trees sway";
    QTest::newRow("6.0")
        << 6.0 << "DESCRIPTION: Strong breeze"
        << "SEA CONDITION: Large waves with foam crests and some spray"
        << "LAND CONDITION: Large branches in motion. Whistling heard in overhead wires. "
           "Umbrella use becomes difficult";
    QTest::newRow("9.9") << 9.9 << "DESCRIPTION: Strong gale"
                         << "SEA CONDITION: High waves (2.75 m) with dense foam. Wave crests "
                            "start to roll over. Considerable spray"
                         << "LAND CONDITION: Light structure damage";
    QTest::newRow("11.5") << 11.5 << violentStorm << exceptional << widespread;
    QTest::newRow("11.8") << 11.8 << violentStorm << exceptional << widespread;
    QTest::newRow("11.9") << 11.9 << hurricane << hugeWaves << massive;
    QTest::newRow("12.0") << 12.0 << hurricane << hugeWaves << massive;
}

void tst_Beaufort::conditionTexts()
{
    QFETCH(double, beaufort);
    QFETCH(QString, description);
    QFETCH(QString, sea);
    QFETCH(QString, land);
    QCOMPARE(conditionText(ConditionBox::Description, beaufort), std::optional(description));
    QCOMPARE(conditionText(ConditionBox::Sea, beaufort), std::optional(sea));
    QCOMPARE(conditionText(ConditionBox::Land, beaufort), std::optional(land));
}

void tst_Beaufort::outsideTheScaleWritesNothing_data()
{
    QTest::addColumn<double>("beaufort");

    QTest::newRow("below 0") << -0.1;
    QTest::newRow("above 12") << 12.1;
    QTest::newRow("just above 12") << std::nextafter(12.0, 13.0);
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN();
}

void tst_Beaufort::outsideTheScaleWritesNothing()
{
    QFETCH(double, beaufort);
    for (ConditionBox box : {ConditionBox::Description, ConditionBox::Sea, ConditionBox::Land})
        QVERIFY(!conditionText(box, beaufort).has_value());
}

QTEST_GUILESS_MAIN(tst_Beaufort)
#include "tst_beaufort.moc"
