// SPDX-License-Identifier: MIT
#include "windowfixture.h"

#include "../sensorframes.h"
#include "app/historyaddon.h"
#include "core/beaufort.h"
#include "core/winddirection.h"
#include "core/windlogrow.h"
#include "core/windspeed.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <functional>

namespace {
// Every row of every log file in the folder, oldest file first.
QList<WindLogRow> logRows(const QString &folder, int *malformed)
{
    QList<WindLogRow> rows;
    *malformed = 0;
    const QDir dir(folder);
    for (const QString &name :
         dir.entryList({QStringLiteral("wind-*.csv")}, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (const QByteArray &line : lines) {
            if (line.isEmpty() || line == windLogHeader)
                continue;
            if (const std::optional<WindLogRow> row = parseWindLogRow(line))
                rows << *row;
            else
                ++*malformed;
        }
    }
    return rows;
}

// What a screen reader says of every part of the window: name and description.
void collectSpoken(QAccessibleInterface *node, QList<std::pair<QString, QString>> &spoken)
{
    if (!node)
        return;
    spoken.append({node->text(QAccessible::Name), node->text(QAccessible::Description)});
    for (int i = 0; i < node->childCount(); ++i)
        collectSpoken(node->child(i), spoken);
}

QList<std::pair<QString, QString>> spokenParts(QWidget *window)
{
    QList<std::pair<QString, QString>> spoken;
    collectSpoken(QAccessible::queryAccessibleInterface(window), spoken);
    return spoken;
}

// The values spoken after "name: ", in the order of the window's tree.
QStringList spokenValues(const QList<std::pair<QString, QString>> &spoken, const QString &name)
{
    QStringList values;
    const QString prefix = name + QStringLiteral(": ");
    for (const auto &[spokenName, description] : spoken) {
        // A figure without a description reads wrong, so that it fails.
        if (spokenName.startsWith(prefix))
            values << spokenName.mid(prefix.size())
                    + (description.isEmpty() ? QStringLiteral(" (no description)") : QString());
    }
    return values;
}

// The number a spoken speed in the unit starts with; NaN when none says it.
double spokenSpeed(const QStringList &values, const QString &unit)
{
    for (const QString &value : values) {
        if (value.endsWith(u' ' + unit))
            return value.section(u' ', 0, 0).toDouble();
    }
    return std::nan("");
}

struct TimedSample
{
    qint64 timeMs;
    double direction;
    double speed;
};

std::vector<TimedSample> steady(qint64 fromMs, qint64 toMs, qint64 stepMs,
                                const std::function<TimedSample(qint64 index)> &make)
{
    std::vector<TimedSample> samples;
    qint64 index = 0;
    for (qint64 t = fromMs; t <= toMs; t += stepMs) {
        TimedSample sample = make(index++);
        sample.timeMs = t;
        samples.push_back(sample);
    }
    return samples;
}

// Everything of the main window that a user sees or that drives it.
QStringList mainWindowLook(WindowFixture &fixture)
{
    QStringList look;
    WindWindow &window = *fixture.window;
    look << QStringLiteral("geometry %1,%2 %3x%4")
                .arg(window.x())
                .arg(window.y())
                .arg(window.width())
                .arg(window.height())
         << QStringLiteral("visible %1").arg(window.isVisible())
         << QStringLiteral("running %1").arg(window.isRunning())
         << QStringLiteral("example %1 timer %2")
                .arg(fixture.feed->isExampleModeOn())
                .arg(fixture.exampleTimer()->isActive())
         << QStringLiteral("listening %1").arg(fixture.feed->isListening())
         << QStringLiteral("wind %1 %2")
                .arg(fixture.feed->directionDegrees())
                .arg(fixture.feed->speedMetresPerSecond());
    for (const QWidget *child : window.findChildren<QWidget *>()) {
        QString text;
        if (const auto *label = qobject_cast<const QLabel *>(child))
            text = label->text();
        else if (const auto *button = qobject_cast<const QAbstractButton *>(child))
            text = button->text();
        look << QStringLiteral("%1 %2 %3 %4")
                    .arg(child->objectName(), text)
                    .arg(child->isVisible())
                    .arg(child->isEnabled());
    }
    return look;
}
} // namespace

Q_DECLARE_METATYPE(std::vector<TimedSample>)

class tst_History : public QObject
{
    Q_OBJECT

private slots:
    void logHoldsAcceptedFramesOnly();
    void exampleModeSamplesAreLoggedAsExample();
    void expiredFilesGoAtStartAndAtMidnight();
    void reportsNameTheRoseTheGroupsAndTheRunways();
    void logProblemIsShownOnceAndTheDisplayGoesOn_data();
    void logProblemIsShownOnceAndTheDisplayGoesOn();
    void figuresReadAloudMatchTheEngine_data();
    void figuresReadAloudMatchTheEngine();
    void linkHealthReadAloud();
    void openedFromTheMainWindow_data();
    void openedFromTheMainWindow();
    void closingLeavesTheMainWindowUnchanged();
};

void tst_History::logHoldsAcceptedFramesOnly()
{
    WindowFixture fixture(settingsFile("False", "0", "0", "3")
                          + "[LOG]\r\nFolder=log\r\nKeepDays=30\r\n");
    QVERIFY(QDir(fixture.folder.path()).mkdir(QStringLiteral("log")));
    HistoryAddOn history(fixture.settings, *fixture.feed, *fixture.window);
    fixture.window->readSettings();
    history.start();
    fixture.window->start();

    fixture.listenWhile({
        [&] { fixture.line->feed(sensorFrame("A,10.5,3.25")); },
        [&] { fixture.line->feed(sensorFrame("A,20.0,9.99", "00")); },
        [&] { fixture.line->feed(sensorFrame("A,300.0,4.5")); },
        [&] { fixture.line->feed(sensorFrame("A,40.0,8.0", "7F")); },
        [&] { fixture.line->feed(sensorFrame("A,355.25,0")); },
        [&] { fixture.controls().listenButton->click(); },
    });

    QVERIFY2(fixture.messages.isEmpty(), qPrintable(fixture.messageTexts().join(u'\n')));
    int malformed = 0;
    const QList<WindLogRow> rows
        = logRows(fixture.folder.filePath(QStringLiteral("log")), &malformed);
    QCOMPARE(malformed, 0);
    QCOMPARE(rows.size(), 3);
    const double expected[3][2] = {{10.5, 3.25}, {300.0, 4.5}, {355.25, 0}};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(rows[i].directionDegrees, expected[i][0]);
        QCOMPARE(rows[i].speedMetresPerSecond, expected[i][1]);
        QCOMPARE(rows[i].source, QStringLiteral("COM3"));
    }
    QCOMPARE(history.recorder().acceptedCount(), 3);
    QCOMPARE(history.recorder().rejectedCount(), 2);
}

void tst_History::exampleModeSamplesAreLoggedAsExample()
{
    WindowFixture fixture(settingsFile("True", "0", "0") + "[LOG]\r\nFolder=.\r\n");
    HistoryAddOn history(fixture.settings, *fixture.feed, *fixture.window);
    fixture.window->readSettings();
    history.start();
    fixture.window->start();

    QList<std::pair<double, double>> shown;
    for (int i = 0; i < 4; ++i) {
        fixture.exampleTick();
        shown << std::pair(fixture.state().directionDegrees, fixture.state().speedMetresPerSecond);
    }

    int malformed = 0;
    const QList<WindLogRow> rows = logRows(fixture.folder.path(), &malformed);
    QCOMPARE(malformed, 0);
    QCOMPARE(rows.size(), shown.size());
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(rows[i].source, QStringLiteral("example"));
        // The log keeps the direction to the hundredth.
        QCOMPARE(rows[i].directionDegrees, wrappedDegrees(shown[i].first, 2));
        // And the speed to 4 decimals.
        QVERIFY(std::abs(rows[i].speedMetresPerSecond - shown[i].second) <= 0.00005);
    }
    QCOMPARE(history.recorder().source().kind, RecordedSource::Kind::ExampleMode);
}

void tst_History::expiredFilesGoAtStartAndAtMidnight()
{
    QTemporaryDir folder;
    const auto touch = [&folder](const char *name) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        return file.open(QIODevice::WriteOnly);
    };
    for (const char *name : {"wind-2026-12-03.csv", "wind-2026-12-04.csv", "wind-2026-12-05.csv",
                             "wind-2026-12-06.csv", "notes.csv"})
        QVERIFY(touch(name));
    const auto present = [&folder] {
        return QDir(folder.path()).entryList(QDir::Files, QDir::Name);
    };
    // 60 ms before midnight UTC, keeping 2 days.
    qint64 utcNow
        = QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59, 940), Qt::UTC).toMSecsSinceEpoch();
    WindRecorder recorder(monotonicMilliseconds, [&utcNow] { return utcNow; });
    recorder.startLog(folder.path(), 2);
    QCOMPARE(present(),
             (QStringList{QStringLiteral("notes.csv"), QStringLiteral("wind-2026-12-04.csv"),
                          QStringLiteral("wind-2026-12-05.csv"),
                          QStringLiteral("wind-2026-12-06.csv")}));

    utcNow += 100; // the clock passes midnight while the timer runs
    QTRY_COMPARE_WITH_TIMEOUT(
        present(),
        (QStringList{QStringLiteral("notes.csv"), QStringLiteral("wind-2026-12-05.csv"),
                     QStringLiteral("wind-2026-12-06.csv")}),
        2000);
}

// Ten minutes from 250 degrees at 15 knots: the rose, the airfield's groups
// and runway 27's components name what was received.
void tst_History::reportsNameTheRoseTheGroupsAndTheRunways()
{
    qint64 clock = 0;
    WindRecorder recorder([&clock] { return clock; }, [] { return qint64(0); });
    recorder.sourceStarted({RecordedSource::Kind::Sensor, 1, QString()});
    for (clock = 0; clock <= 10 * 60 * 1000; clock += 1000)
        recorder.recordSample({clock, 250, 7.72}, WindSource::Sensor, 1);
    clock -= 1000;
    HistoryWindow window(recorder);
    window.setRunways({{QStringLiteral("27"), 268}});
    window.show();
    window.refresh();

    const QWidget *rose = window.findChild<QWidget *>(QStringLiteral("Wind Rose"));
    QVERIFY(rose);
    QCOMPARE(rose->accessibleName(), QStringLiteral("Wind Rose"));
    QCOMPARE(rose->accessibleDescription(), QStringLiteral("Prevailing WSW, 100 %"));
    const QList<std::pair<QString, QString>> spoken = spokenParts(&window);
    QCOMPARE(spokenValues(spoken, QStringLiteral("METAR wind")),
             QStringList{QStringLiteral("2 minutes 25015KT, 10 minutes 25015KT")});
    // 15 kn from 18 degrees left of the runway's heading.
    QCOMPARE(spokenValues(spoken, QStringLiteral("Runway 27")),
             QStringList{QStringLiteral(
                 "RWY 27: headwind 14 kt, crosswind 5 kt from the left, gusts to 5")});
}

void tst_History::logProblemIsShownOnceAndTheDisplayGoesOn_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QStringList>("messageHolds");

    QTest::newRow("a folder that is not there")
        << QByteArray("[LOG]\r\nFolder=missing\r\nKeepDays=3\r\n")
        << QStringList{QStringLiteral("missing"), QStringLiteral("does not exist")};
    QTest::newRow("a file where the folder should be")
        << QByteArray("[LOG]\r\nFolder=Application.ini\r\n")
        << QStringList{QStringLiteral("Application.ini"), QStringLiteral("does not exist")};
    QTest::newRow("a key the section does not have")
        << QByteArray("[LOG]\r\nFolder=.\r\nKeepDay=3\r\n")
        << QStringList{QStringLiteral("\"KeepDay\" (set to \"3\")"),
                       QStringLiteral("Folder, KeepDays"), QStringLiteral("log is off")};
    QTest::newRow("a Folder left empty")
        << QByteArray("[LOG]\r\nFolder=\r\n")
        << QStringList{QStringLiteral("\"Folder\""), QStringLiteral("empty"),
                       QStringLiteral("log is off")};
    QTest::newRow("a KeepDays that is no number of days")
        << QByteArray("[LOG]\r\nFolder=.\r\nKeepDays=a month\r\n")
        << QStringList{QStringLiteral("KeepDays"), QStringLiteral("a month"),
                       QStringLiteral("log is off")};
}

void tst_History::logProblemIsShownOnceAndTheDisplayGoesOn()
{
    QFETCH(QByteArray, section);
    QFETCH(QStringList, messageHolds);
    WindowFixture fixture(settingsFile("True", "0", "0") + section);
    HistoryAddOn history(fixture.settings, *fixture.feed, *fixture.window);
    fixture.window->readSettings();
    const QStringList problems = history.start();
    fixture.window->start();

    for (int i = 0; i < 8; ++i)
        fixture.exampleTick();

    // A section that cannot be used is told by start(), a folder that fails
    // the first row in a box; once either way.
    const QStringList told = problems + fixture.messageTexts();
    QCOMPARE(told.size(), 1);
    for (const QString &part : messageHolds)
        QVERIFY2(told.first().contains(part), qPrintable(told.first()));
    QVERIFY(fixture.fatalErrors.isEmpty());
    QVERIFY(fixture.exampleTimer()->isActive());
    QCOMPARE(history.recorder().acceptedCount(), 8);
    QCOMPARE(QDir(fixture.folder.path()).entryList({QStringLiteral("wind-*.csv")}).size(), 0);
}

void tst_History::figuresReadAloudMatchTheEngine_data()
{
    QTest::addColumn<std::vector<TimedSample>>("samples");
    QTest::addColumn<qint64>("nowMs");

    const qint64 minute = 60000;
    QTest::newRow("steady 4 Hz for 12 minutes") << steady(0, 12 * minute, 250, [](qint64 i) {
        return TimedSample{0, 200.0 + double(i % 7), 6.0 + double(i % 5) / 2};
    }) << 12 * minute;
    QTest::newRow("across north: 355 and 5 average to north, not south") << steady(
        0, 11 * minute, 1000, [](qint64 i) {
            return TimedSample{0, i % 2 ? 355.0 : 5.0, 8.0};
        }) << 11 * minute + 400;
    QTest::newRow("calm: a mean under 0.5 m/s has no direction") << steady(
        0, 10 * minute, 500, [](qint64 i) {
            return TimedSample{0, double(i % 360), 0.3};
        }) << 10 * minute;
    QTest::newRow("a 7-minute gap leaves 10 minutes under 66 %") << steady(
        0, 3 * minute, 1000, [](qint64 i) {
            return TimedSample{0, 90, 4.0 + double(i % 3)};
        }) << 10 * minute;
    QTest::newRow("irregular intervals and a gust") << steady(0, 10 * minute, 700, [](qint64 i) {
        return TimedSample{0, 120.0 + double(i % 11), i % 97 == 0 ? 25.0 : 5.0};
    }) << 10 * minute + 100;
}

void tst_History::figuresReadAloudMatchTheEngine()
{
    QFETCH(std::vector<TimedSample>, samples);
    QFETCH(qint64, nowMs);
    qint64 clock = 0;
    WindRecorder recorder([&clock] { return clock; }, [] { return qint64(0); });
    recorder.sourceStarted({RecordedSource::Kind::Sensor, 3, QStringLiteral("/dev/ttyS2")});
    for (const TimedSample &sample : samples) {
        clock = sample.timeMs;
        recorder.recordSample({sample.timeMs, sample.direction, sample.speed}, WindSource::Sensor,
                              3);
    }
    clock = nowMs;
    HistoryWindow window(recorder);
    window.show();
    window.refresh();
    const WindStatisticsSnapshot engine = recorder.statistics(nowMs);
    const QList<std::pair<QString, QString>> spoken = spokenParts(&window);

    const auto checkSpeed = [](const QStringList &values, double metresPerSecond) {
        QCOMPARE(values.size(), 3);
        const double kmh = metresPerSecond * KmhPerMetrePerSecond;
        QVERIFY(std::abs(spokenSpeed(values, QStringLiteral("kilometres per hour")) - kmh) <= 0.05);
        QVERIFY(std::abs(spokenSpeed(values, QStringLiteral("knots")) - kmh * KnotsPerKmh) <= 0.05);
        QVERIFY(std::abs(spokenSpeed(values, QStringLiteral("metres per second")) - metresPerSecond)
                <= 0.05);
    };
    for (const auto &[name, period] : {std::pair(QStringLiteral("2-minute"), engine.twoMinutes),
                                       std::pair(QStringLiteral("10-minute"), engine.tenMinutes)}) {
        const QStringList coverage = spokenValues(spoken, name + QStringLiteral(" coverage"));
        QCOMPARE(coverage.size(), 1);
        QCOMPARE(coverage.first(),
                 QStringLiteral("%1 %").arg(period.coveredMs * 100 / period.lengthMs()));
        const QStringList speeds = spokenValues(spoken, name + QStringLiteral(" mean speed"));
        const QStringList direction
            = spokenValues(spoken, name + QStringLiteral(" mean direction"));
        QCOMPARE(direction.size(), 1);
        if (!period.isCovered()) {
            QCOMPARE(speeds.size(), 3);
            for (const QString &value : speeds + direction)
                QVERIFY2(value.startsWith(QStringLiteral("not shown, coverage ")),
                         qPrintable(value));
            continue;
        }
        checkSpeed(speeds, period.meanSpeed);
        if (period.calm) {
            QCOMPARE(direction.first(), QStringLiteral("calm"));
        } else {
            QVERIFY(period.meanDirection);
            const int degrees = int(std::lround(*period.meanDirection)) % 360;
            QVERIFY2(direction.first().startsWith(QStringLiteral("%1 degrees, ").arg(degrees)),
                     qPrintable(direction.first()));
        }
    }

    const QStringList gust = spokenValues(spoken, QStringLiteral("10-minute gust"));
    const QStringList beaufort
        = spokenValues(spoken, QStringLiteral("Beaufort of the 10-minute mean"));
    QCOMPARE(beaufort.size(), 1);
    if (engine.tenMinutes.isCovered()) {
        checkSpeed(gust, *engine.tenMinutes.gust);
        QCOMPARE(beaufort.first(),
                 QStringLiteral("force %1")
                     .arg(QLocale().toString(
                         kmhToBeaufort(engine.tenMinutes.meanSpeed * KmhPerMetrePerSecond), 'f',
                         QLocale::FloatingPointShortest)));
    } else {
        QVERIFY(beaufort.first().startsWith(QStringLiteral("not shown")));
    }

    const QStringList stale = spokenValues(spoken, QStringLiteral("Data"));
    QCOMPARE(stale.size(), 1);
    QCOMPARE(stale.first().startsWith(QStringLiteral("stale")), engine.link.stale);

    const QString samplesPlotted
        = QStringLiteral("%1 samples").arg(recorder.history(nowMs, 600000).size());
    for (const QString &plot : {QStringLiteral("Speed plot"), QStringLiteral("Direction plot")}) {
        const auto found = std::find_if(spoken.cbegin(), spoken.cend(),
                                        [&plot](const auto &part) { return part.first == plot; });
        QVERIFY(found != spoken.cend());
        QVERIFY2(found->second.contains(samplesPlotted), qPrintable(found->second));
    }
}

void tst_History::linkHealthReadAloud()
{
    qint64 clock = 0;
    WindRecorder recorder([&clock] { return clock; }, [] { return qint64(0); });
    HistoryWindow window(recorder);
    window.show();
    window.refresh();
    QList<std::pair<QString, QString>> spoken = spokenParts(&window);
    QCOMPARE(spokenValues(spoken, QStringLiteral("Source")),
             QStringList{QStringLiteral("none: not listening, example mode off")});
    QCOMPARE(spokenValues(spoken, QStringLiteral("Data")),
             QStringList{QStringLiteral("stale, no sample yet")});

    recorder.sourceStarted({RecordedSource::Kind::Sensor, 12, QStringLiteral("/dev/pts/7")});
    for (int i = 0; i < 120; ++i) {
        clock = 1000 + i * 250;
        recorder.recordSample({clock, 90, 5}, WindSource::Sensor, 12);
        if (i % 40 == 0)
            recorder.recordRejectedFrame();
    }
    clock += 2500;
    window.refresh();
    spoken = spokenParts(&window);
    QCOMPARE(spokenValues(spoken, QStringLiteral("Source")),
             QStringList{QStringLiteral("serial port 12, /dev/pts/7")});
    QCOMPARE(spokenValues(spoken, QStringLiteral("Frames accepted")),
             QStringList{QStringLiteral("120 (97.6 %)")});
    QCOMPARE(spokenValues(spoken, QStringLiteral("Frames rejected")),
             QStringList{QStringLiteral("3 (2.4 %)")});
    QCOMPARE(spokenValues(spoken, QStringLiteral("Frame rate")),
             QStringList{QStringLiteral("2.0 per second")});
    QCOMPARE(spokenValues(spoken, QStringLiteral("Time since the last sample")),
             QStringList{QStringLiteral("2.5 seconds")});
    QCOMPARE(spokenValues(spoken, QStringLiteral("Data")), QStringList{QStringLiteral("fresh")});

    clock += 8000;
    window.refresh();
    spoken = spokenParts(&window);
    QCOMPARE(spokenValues(spoken, QStringLiteral("Data")),
             QStringList{QStringLiteral("stale, no sample for 10.5 s")});

    recorder.sourceStopped(RecordedSource::Kind::ExampleMode);
    QCOMPARE(recorder.source().kind, RecordedSource::Kind::Sensor);
    recorder.sourceStarted({RecordedSource::Kind::ExampleMode, 0, QString()});
    window.refresh();
    spoken = spokenParts(&window);
    QCOMPARE(spokenValues(spoken, QStringLiteral("Source")),
             QStringList{QStringLiteral("example mode")});
    QCOMPARE(spokenValues(spoken, QStringLiteral("Frames accepted")),
             QStringList{QStringLiteral("0")});
}

void tst_History::openedFromTheMainWindow_data()
{
    QTest::addColumn<bool>("byShortcut");
    QTest::addColumn<int>("clicked"); // km/h readout, description, sea, land box
    QTest::newRow("context menu over a readout") << false << 0;
    QTest::newRow("context menu over the description box") << false << 1;
    QTest::newRow("context menu over the sea box") << false << 2;
    QTest::newRow("context menu over the land box") << false << 3;
    QTest::newRow("Ctrl+H") << true << -1;
}

void tst_History::openedFromTheMainWindow()
{
    QFETCH(bool, byShortcut);
    WindowFixture fixture(settingsFile("True", "0", "0"));
    HistoryAddOn history(fixture.settings, *fixture.feed, *fixture.window);
    fixture.start();
    WindWindow *window = fixture.window.get();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QVERIFY(!history.historyWindow().isVisible());

    if (byShortcut) {
        QTest::keyClick(window, Qt::Key_H, Qt::ControlModifier);
    } else {
        // Over a control, as a user would click.
        QFETCH(int, clicked);
        const WindWindowControls &c = fixture.controls();
        QWidget *const controls[] = {c.kmhReadout, c.descriptionBox, c.seaBox, c.landBox};
        QWidget *control = controls[clicked];
        const QPoint at = control->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, control->mapToGlobal(at));
        QApplication::sendEvent(control, &event);
        QMenu *menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())));
        const QList<QAction *> actions = menu->actions();
        QCOMPARE(actions.size(), 1);
        QCOMPARE(actions.first()->text(), QStringLiteral("Wind History…"));
        QCOMPARE(actions.first()->shortcut(), QKeySequence(QStringLiteral("Ctrl+H")));
        actions.first()->trigger();
        menu->close();
    }
    QTRY_VERIFY(history.historyWindow().isVisible());
    QCOMPARE(history.historyWindow().windowTitle(), QStringLiteral("Wind History"));
}

void tst_History::closingLeavesTheMainWindowUnchanged()
{
    WindowFixture fixture(settingsFile("False", "123", "4.5"));
    HistoryAddOn history(fixture.settings, *fixture.feed, *fixture.window);
    fixture.start();
    fixture.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(fixture.window.get()));
    const QStringList before = mainWindowLook(fixture);
    const QByteArray settingsBefore = fixture.readSettings();

    history.openAction()->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(&history.historyWindow()));
    history.historyWindow().setSpanMinutes(60);
    QVERIFY(history.historyWindow().close());
    QVERIFY(!history.historyWindow().isVisible());
    QCoreApplication::processEvents();

    QCOMPARE(mainWindowLook(fixture), before);
    QCOMPARE(fixture.readSettings(), settingsBefore);
    QVERIFY(fixture.messages.isEmpty());
    QVERIFY(fixture.fatalErrors.isEmpty());
}

QTEST_MAIN(tst_History)
#include "tst_history.moc"
