// SPDX-License-Identifier: MIT
#include "windowfixture.h"

#include "app/alarmaddon.h"
#include "app/historyaddon.h"
#include "app/nightcolours.h"

#include <QAction>
#include <QApplication>
#include <QHash>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <functional>

namespace {

struct Brightness
{
    int tooGreenOrBlue = 0; // pixels with green or blue above a quarter of full scale
    int lit = 0; // pixels with red above a quarter: what can be read
};

Brightness brightness(const QImage &picture)
{
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    Brightness counted;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            counted.tooGreenOrBlue += qGreen(line[x]) > 63 || qBlue(line[x]) > 63;
            counted.lit += qRed(line[x]) > 63;
        }
    }
    return counted;
}

// The main window with the history window, the alarms and night colours
// attached as the application attaches them, on example mode.
struct Application
{
    explicit Application(const QByteArray &extra = {},
                         NightColours::TimeOfDay timeOfDay = &QTime::currentTime)
        : fixture(settingsFile("True", "200", "12") + extra)
        , history(fixture.settings, *fixture.feed, *fixture.window)
        , alarms(
              fixture.settings, *fixture.feed, *fixture.window,
              [this](CompassWidget::Ring ring, const QString &description) {
                  fixture.window->showAlarms(ring, description);
              },
              history, monotonicMilliseconds, QDBusConnection(QString()))
        , timeOfDay(std::move(timeOfDay))
    { }

    // Reads the settings and starts, nightRequested as --night asks.
    QStringList start(bool nightRequested)
    {
        fixture.window->readSettings();
        QStringList problems = alarms.start() << startNight(nightRequested);
        fixture.window->start();
        return problems;
    }

    QStringList startNight(bool nightRequested)
    {
        night = std::make_unique<NightColours>(fixture.settings, *fixture.window,
                                               history.historyWindow(), nightRequested, timeOfDay);
        return night->start();
    }

    WindowFixture fixture;
    HistoryAddOn history;
    AlarmAddOn alarms;
    NightColours::TimeOfDay timeOfDay;
    std::unique_ptr<NightColours> night;
};

using Grab = std::function<QImage(Application &)>;

} // namespace

Q_DECLARE_METATYPE(Grab)

class tst_NightColours : public QObject
{
    Q_OBJECT

private slots:
    void everyWindowIsDimRed_data();
    void everyWindowIsDimRed();
    void scaleBandsStayDistinct();
    void switching_data();
    void switching();
};

void tst_NightColours::everyWindowIsDimRed_data()
{
    QTest::addColumn<Grab>("grab");

    QTest::newRow("main window, a gust alarm raised") << Grab([](Application &app) {
        for (int i = 0; i < 8; ++i)
            app.fixture.exampleTick();
        return app.fixture.window->grab().toImage();
    });
    QTest::newRow("history window, its plots and alarm list") << Grab([](Application &app) {
        for (int i = 0; i < 40; ++i)
            app.fixture.exampleTick();
        HistoryWindow &window = app.history.historyWindow();
        window.resize(700, 800);
        window.show();
        window.refresh();
        return window.grab().toImage();
    });
    QTest::newRow("port dialog") << Grab([](Application &app) {
        app.fixture.feed->setPortNumber(3);
        PortDialog dialog(*app.fixture.feed, app.fixture.window.get());
        dialog.show();
        return dialog.grab().toImage();
    });
    QTest::newRow("message box") << Grab([](Application &app) {
        const MessagePresenter recording = setMessagePresenter({});
        showMessageWithoutWaiting(app.fixture.window.get(), applicationTitle(),
                                  QStringLiteral("The data log cannot be written."),
                                  MessageIcon::Error);
        setMessagePresenter(recording);
        auto *box = app.fixture.window->findChild<QMessageBox *>();
        if (!box)
            return QImage();
        const QImage picture = box->grab().toImage();
        box->close();
        return picture;
    });
}

// No pixel of any window has green or blue above a quarter of full scale,
// text is still there to read, and nothing moves.
void tst_NightColours::everyWindowIsDimRed()
{
    QFETCH(Grab, grab);
    const QByteArray alarm = "[ALARM]\r\nUnit=ms\r\nGustAbove=0.5\r\nExampleMode=True\r\n";
    QImage day;
    {
        Application app(alarm);
        app.start(false);
        day = grab(app);
    }
    Application app(alarm);
    QCOMPARE(app.start(true), QStringList());
    const QImage night = grab(app);
    QVERIFY(!night.isNull());
    QCOMPARE(night.size(), day.size());
    const Brightness counted = brightness(night);
    QCOMPARE(counted.tooGreenOrBlue, 0);
    QVERIFY2(counted.lit > 500, qPrintable(QString::number(counted.lit)));
}

// Each colour band of the scale is a shade of its own at night as by day.
void tst_NightColours::scaleBandsStayDistinct()
{
    // The colour of each row of the scale where no text or bar covers it.
    const auto bands = [](bool nightRequested) {
        Application app;
        app.fixture.start();
        app.startNight(nightRequested);
        const WindWindowControls &c = app.fixture.controls();
        const QImage window = app.fixture.window->grab().toImage();
        QList<QRgb> colours;
        for (const QList<QLabel *> *rows : {&c.scaleBands, &c.scaleDashRows, &c.scaleTextRows}) {
            for (QLabel *row : *rows) {
                const QPoint at(1, rows == &c.scaleBands ? row->height() / 2 : 2);
                colours << window.pixel(row->mapTo(app.fixture.window.get(), at));
            }
        }
        return colours;
    };
    const QList<QRgb> day = bands(false);
    const QList<QRgb> night = bands(true);
    QCOMPARE(night.size(), day.size());
    QHash<QRgb, QRgb> nightOfDay;
    QHash<QRgb, QRgb> dayOfNight;
    for (qsizetype i = 0; i < day.size(); ++i) {
        QCOMPARE(nightOfDay.value(day[i], night[i]), night[i]);
        QCOMPARE(dayOfNight.value(night[i], day[i]), day[i]);
        nightOfDay.insert(day[i], night[i]);
        dayOfNight.insert(night[i], day[i]);
    }
    QCOMPARE(dayOfNight.size(), 10);
}

void tst_NightColours::switching_data()
{
    QTest::addColumn<QByteArray>("view"); // the [VIEW] section, if any
    QTest::addColumn<bool>("nightRequested"); // --night
    QTest::addColumn<QTime>("startAt");
    // "start" for the colours at start, "menu" and "Ctrl+N" for the user's
    // choices, a time of day for the clock's check at that time, each
    // followed by the colours it leaves.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("keptAtClose"); // "" for no [VIEW] at all

    const QTime noon(12, 0);
    QTest::newRow("kept from the last run")
        << QByteArray("[VIEW]\r\nNight=True\r\n") << false << noon << QStringList{"start night"}
        << QByteArray("[VIEW]\r\nNight=True\r\n");
    QTest::newRow("--night, kept at close")
        << QByteArray() << true << noon << QStringList{"start night"}
        << QByteArray("[VIEW]\r\nNight=True\r\n");
    QTest::newRow("the menu, then Ctrl+N back to day")
        << QByteArray("[VIEW]\r\nNight=False\r\n") << false << noon
        << QStringList{"start day", "menu night", "Ctrl+N day"}
        << QByteArray("[VIEW]\r\nNight=False\r\n");
    QTest::newRow("the clock switches; the menu holds until its next switch")
        << QByteArray("[VIEW]\r\nNightFrom=21:00\r\nNightTo=06:30\r\n") << false << QTime(20, 59)
        << QStringList{"start day", "21:00 night", "menu day",   "23:59 day",
                       "06:30 day", "06:31 day",   "21:00 night"}
        << QByteArray("[VIEW]\r\nNightFrom=21:00\r\nNightTo=06:30\r\nNight=True\r\n");
}

void tst_NightColours::switching()
{
    QFETCH(QByteArray, view);
    QFETCH(bool, nightRequested);
    QFETCH(QTime, startAt);
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, keptAtClose);

    QTime now = startAt;
    Application app(view, [&now] { return now; });
    WindWindow *window = app.fixture.window.get();
    QCOMPARE(app.start(nightRequested), QStringList());
    // The wind stands still, so that the compass can be compared.
    app.fixture.exampleTimer()->stop();
    const QImage compassAtStart = app.fixture.controls().compassGauge->grab().toImage();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QStringList menu;
    for (const QAction *action : window->actions())
        menu << action->text() + u' ' + action->shortcut().toString();
    QCOMPARE(menu, (QStringList{"Wind History… Ctrl+H", "Night Colours Ctrl+N"}));

    for (const QString &step : steps) {
        const QString what = step.section(u' ', 0, 0);
        if (what == u"menu")
            app.night->action()->trigger();
        else if (what == u"Ctrl+N")
            QTest::keyClick(window, Qt::Key_N, Qt::ControlModifier);
        else if (what != u"start")
            now = QTime::fromString(what, u"HH:mm");
        if (what.contains(u':'))
            app.night->checkClock();
        const bool night = window->colourScheme() == ColourScheme::Night;
        const bool paletteNight = QApplication::palette().color(QPalette::Window) == Qt::black;
        QCOMPARE(QStringLiteral("%1 %2 %3 %4")
                     .arg(step, night ? "night" : "day", paletteNight ? "night" : "day",
                          app.night->action()->isChecked() ? "night" : "day"),
                 QStringLiteral("%1 %2 %2 %2").arg(step, step.section(u' ', 1)));
    }
    // Back in the colours it started with, the compass has dropped the dial
    // it kept for the others.
    if (steps.first().section(u' ', 1) == steps.last().section(u' ', 1))
        QCOMPARE(app.fixture.controls().compassGauge->grab().toImage(), compassAtStart);
    window->close();
    const QByteArray file = app.fixture.readSettings();
    const qsizetype section = file.indexOf("[VIEW]");
    QCOMPARE(section < 0 ? QByteArray() : file.mid(section), keptAtClose);
}

QTEST_MAIN(tst_NightColours)
#include "tst_nightcolours.moc"
