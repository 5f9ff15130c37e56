#include "windowfixture.h"

#include "display/windreadouts.h"
#include "platform/apperror.h"
#include "platform/gaugewidget.h"
#include "shell/barlabel.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

// The readouts ShowSpeed writes, in the order it writes them.
const int speedReadouts[] = {10, 8, 13, 15};

QStringList speedTexts(const frmMain &window)
{
    QStringList texts;
    for (int index : speedReadouts)
        texts << window.Label1[index]->text();
    return texts;
}

// All four bars stand at the same Top, which matches a value given to three
// decimals.
void expectBarsAt(const frmMain &window, float top)
{
    for (int bar = 1; bar <= 4; ++bar) {
        QCOMPARE(window.Label5[bar]->Top(), window.Label5[1]->Top());
        QCOMPARE(window.Label5[bar]->Top(), top);
    }
}

QStringList conditionTexts(const frmMain &window)
{
    return {window.Text1[0]->text(), window.Text1[1]->text(), window.Text1[2]->text()};
}

} // namespace

class tst_WindDisplay : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void showsSpeed_data();
    void showsSpeed();
    void showsDirection_data();
    void showsDirection();
    void conditionBoxesFollowTheShownSpeed_data();
    void conditionBoxesFollowTheShownSpeed();
    void decimalCommaLocale();
    void failurePartWayKeepsEarlierReadouts_data();
    void failurePartWayKeepsEarlierReadouts();
    void nonFiniteAngleShowsNothing();
    void clearBlanksOnlyTheSpeedReadouts();
    void readoutsDescribeThemselves();
};

void tst_WindDisplay::init()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void tst_WindDisplay::cleanup()
{
    QLocale::setDefault(QLocale::system());
}

void tst_WindDisplay::showsSpeed_data()
{
    QTest::addColumn<double>("speed");
    QTest::addColumn<double>("storedSpeed");
    QTest::addColumn<QStringList>("readouts"); // km/h, mph, knots, Beaufort
    QTest::addColumn<float>("top");

    QTest::newRow("negative is clamped to 0")
        << -2.5 << 0.0 << QStringList {"0.0", "0.0", "0.0", "0.1"} << 4680.0f;
    QTest::newRow("negative zero is not negative, shows no sign")
        << -0.0 << -0.0 << QStringList {"0.0", "0.0", "0.0", "0.1"} << 4680.0f;
    QTest::newRow("bars follow the unrounded speed")
        << 0.0125 << 0.0125 << QStringList {"0.0", "0.0", "0.0", "0.1"} << 4679.087f;
    QTest::newRow("1 m/s") << 1.0 << 1.0 << QStringList {"3.6", "2.2", "1.9", "1.6"} << 4606.986f;
    QTest::newRow("10 m/s") << 10.0 << 10.0 << QStringList {"36.0", "22.4", "19.4", "5.8"}
                            << 3949.859f;
    QTest::newRow("100 m/s, bars unclamped")
        << 100.0 << 100.0 << QStringList {"360.0", "223.7", "194.4", "12"} << -2621.408f;
}

void tst_WindDisplay::showsSpeed()
{
    QFETCH(double, speed);
    QFETCH(double, storedSpeed);
    QFETCH(QStringList, readouts);
    QFETCH(float, top);

    WindowFixture fixture;
    frmMain &window = *fixture.window;
    window.WindSpeed = speed;
    window.ShowSpeed();

    QCOMPARE(window.WindSpeed, storedSpeed);
    QCOMPARE(std::signbit(window.WindSpeed), std::signbit(storedSpeed));
    QCOMPARE(speedTexts(window), readouts);
    expectBarsAt(window, top);
}

void tst_WindDisplay::showsDirection_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("storedAngle");
    QTest::addColumn<QString>("degrees");
    QTest::addColumn<double>("bearing"); // the compass variable, folded onto the dial
    QTest::addColumn<QString>("point");

    QTest::newRow("720 stays 360") << 720.0 << 360.0 << "360" << 180.0 << "N";
    QTest::newRow("359.5 goes negative") << 359.5 << -0.5 << "-1" << 179.0 << "";
    QTest::newRow("-400 stays negative") << -400.0 << -40.0 << "-40" << 140.0 << "";
    QTest::newRow("112.7") << 112.7 << 112.7 << "113" << 293.0 << "E";
}

void tst_WindDisplay::showsDirection()
{
    QFETCH(double, angle);
    QFETCH(double, storedAngle);
    QFETCH(QString, degrees);
    QFETCH(double, bearing);
    QFETCH(QString, point);

    WindowFixture fixture;
    frmMain &window = *fixture.window;
    window.ShockwaveFlash1->LoadMovie(0, QStringLiteral("compass2.swf"));
    window.WindAngle = angle;
    window.ShowDirection();

    QCOMPARE(window.WindAngle, storedAngle);
    QCOMPARE(window.Label1[0]->text(), degrees);
    QCOMPARE(window.Label1[1]->text(), point);
    QCOMPARE(window.ShockwaveFlash1->compassBearing(), bearing);
}

void tst_WindDisplay::conditionBoxesFollowTheShownSpeed_data()
{
    QTest::addColumn<double>("speed");
    QTest::addColumn<QStringList>("texts");

    // 0.6 km/h gives 0.7: force 1 at sea and in words, still calm on land.
    QTest::newRow("0.6 km/h") << 0.6 / 3.6
                              << QStringList {"DESCRIPTION: Light air",
                                              "SEA CONDITION: Ripples without crests",
                                              "LAND CONDITION: Calm. Smoke rises vertically"};
    // 37.96 km/h shows as 38.0, which gives 6.0 and force 6; unrounded it
    // would give 5.9 and force 5.
    QTest::newRow("rounded readout decides")
        << 37.96 / 3.6
        << QStringList {"DESCRIPTION: Strong breeze",
                        "SEA CONDITION: Large waves with foam crests and some spray",
                        "LAND CONDITION: Large branches in motion. Whistling heard in "
                        "overhead wires. Umbrella use becomes difficult"};
}

void tst_WindDisplay::conditionBoxesFollowTheShownSpeed()
{
    QFETCH(double, speed);
    QFETCH(QStringList, texts);

    WindowFixture fixture;
    frmMain &window = *fixture.window;
    window.Text1[1]->setText(QStringLiteral("typed by the user"));
    window.WindSpeed = speed;
    window.ShowSpeed();
    QCOMPARE(conditionTexts(window), texts);
}

// A whole refresh under a decimal-comma locale: every readout written with
// a comma must read back, or mph, knots and Beaufort could not be derived.
void tst_WindDisplay::decimalCommaLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    WindowFixture fixture;
    frmMain &window = *fixture.window;

    window.WindAngle = -400;
    window.WindSpeed = 1;
    window.RefreshDisplay();
    QCOMPARE(window.Label1[0]->text(), QStringLiteral("-40"));
    QCOMPARE(speedTexts(window), (QStringList {"3,6", "2,2", "1,9", "1,6"}));

    window.WindSpeed = 10;
    window.RefreshDisplay();
    QCOMPARE(speedTexts(window), (QStringList {"36,0", "22,4", "19,4", "5,8"}));

    window.WindSpeed = 1000;
    window.RefreshDisplay();
    QCOMPARE(speedTexts(window), (QStringList {"3600,0", "2236,9", "1943,8", "12"}));
}

void tst_WindDisplay::failurePartWayKeepsEarlierReadouts_data()
{
    QTest::addColumn<double>("speed");
    QTest::addColumn<AppError::Kind>("kind");
    QTest::addColumn<bool>("kmhShown");

    const double huge = 1e308;
    QTest::newRow("infinite speed fails at km/h") << huge * 10 << AppError::Kind::Overflow << false;
    QTest::newRow("NaN fails at km/h") << std::numeric_limits<double>::quiet_NaN()
                                       << AppError::Kind::InvalidFloatOperation << false;
    QTest::newRow("km/h fits, bar Top overflows a double")
        << 4e307 << AppError::Kind::Overflow << true;
    QTest::newRow("km/h fits, bar Top overflows a float")
        << 1e38 << AppError::Kind::Overflow << true;
}

void tst_WindDisplay::failurePartWayKeepsEarlierReadouts()
{
    QFETCH(double, speed);
    QFETCH(AppError::Kind, kind);
    QFETCH(bool, kmhShown);

    WindowFixture fixture;
    frmMain &window = *fixture.window;
    window.WindSpeed = 1;
    window.ShowSpeed();
    const QStringList before = speedTexts(window);
    const QStringList conditionsBefore = conditionTexts(window);

    window.WindSpeed = speed;
    try {
        window.ShowSpeed();
        QFAIL("ShowSpeed accepted a speed it cannot show");
    } catch (const AppError &error) {
        QCOMPARE(error.kind(), kind);
        QCOMPARE(error.description(), AppError::kindName(kind));
    }

    QStringList expected = before;
    if (kmhShown) {
        const QString kmh = window.Label1[10]->text();
        QCOMPARE(QLocale().toDouble(kmh), speed * 3.6);
        expected[0] = kmh;
    }
    QCOMPARE(speedTexts(window), expected);
    expectBarsAt(window, 4606.986f);
    QCOMPARE(conditionTexts(window), conditionsBefore);
}

void tst_WindDisplay::nonFiniteAngleShowsNothing()
{
    WindowFixture fixture;
    frmMain &window = *fixture.window;
    window.WindAngle = 90;
    window.ShowDirection();

    window.WindAngle = std::numeric_limits<double>::quiet_NaN();
    QVERIFY_THROWS_EXCEPTION(AppError, window.ShowDirection());
    QCOMPARE(window.Label1[0]->text(), QStringLiteral("90"));
    QCOMPARE(window.Label1[1]->text(), QStringLiteral("E"));
}

void tst_WindDisplay::clearBlanksOnlyTheSpeedReadouts()
{
    WindowFixture fixture;
    frmMain &window = *fixture.window;
    window.WindAngle = 45;
    window.WindSpeed = 10;
    window.RefreshDisplay();
    const QStringList conditions = conditionTexts(window);
    window.NewDataPending = true;

    window.ClearSpeedReadouts();
    QCOMPARE(speedTexts(window), QStringList(4, QString()));
    QVERIFY(!window.NewDataPending);
    QCOMPARE(window.WindSpeed, 10.0);
    expectBarsAt(window, 3949.859f);
    QCOMPARE(conditionTexts(window), conditions);
    QCOMPARE(window.Label1[0]->text(), QStringLiteral("45"));
    QCOMPARE(window.Label1[1]->text(), QStringLiteral("NE"));

    window.ShowSpeed();
    QCOMPARE(speedTexts(window), (QStringList {"36.0", "22.4", "19.4", "5.8"}));
}

// A screen reader hears what each readout is about, and its name is what the
// readout shows right now.
void tst_WindDisplay::readoutsDescribeThemselves()
{
    WindowFixture fixture;
    frmMain &window = *fixture.window;
    describeWindReadouts(window);
    window.WindAngle = 90;
    window.WindSpeed = 10;
    window.RefreshDisplay();

    const QList<QPair<QWidget *, QString>> described = {
        {window.Label1[0], "Wind direction in degrees"},
        {window.Label1[1], "Wind direction as a compass point"},
        {window.Label1[10], "Wind speed in km/h"},
        {window.Label1[8], "Wind speed in mph"},
        {window.Label1[13], "Wind speed in knots"},
        {window.Label1[15], "Wind force on the Beaufort scale"},
        {window.Text1[0], "Wind description"},
        {window.Text1[1], "Sea condition"},
        {window.Text1[2], "Land condition"},
    };
    const auto shownText = [](QWidget *widget) {
        if (auto *label = qobject_cast<QLabel *>(widget))
            return label->text();
        return qobject_cast<QLineEdit *>(widget)->text();
    };
    for (const auto &[widget, description] : described) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Description), description);
        QVERIFY(!shownText(widget).isEmpty());
        QCOMPARE(accessible->text(QAccessible::Name), shownText(widget));
    }

    // The names follow the next refresh.
    window.WindSpeed = 100;
    window.RefreshDisplay();
    QCOMPARE(QAccessible::queryAccessibleInterface(window.Label1[10])->text(QAccessible::Name),
             QStringLiteral("360.0"));
    QCOMPARE(QAccessible::queryAccessibleInterface(window.Text1[0])->text(QAccessible::Name),
             QStringLiteral("DESCRIPTION: Hurricane"));
}

QTEST_MAIN(tst_WindDisplay)
#include "tst_winddisplay.moc"
