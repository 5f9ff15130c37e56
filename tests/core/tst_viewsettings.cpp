// SPDX-License-Identifier: MIT
#include "core/settingsfile.h"
#include "core/viewsettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

static QTime at(const QString &text)
{
    return QTime::fromString(text, QStringLiteral("H:mm"));
}

class tst_ViewSettings : public QObject
{
    Q_OBJECT

private slots:
    void schedule_data();
    void schedule();
    void userHoldsUntilTheClockSwitches();
    void section_data();
    void section();
};

void tst_ViewSettings::schedule_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("time");
    QTest::addColumn<bool>("night");
    QTest::addColumn<QString>("nextSwitch");

    QTest::newRow("within the day") << "8:00"
                                    << "20:00"
                                    << "8:00" << true << "20:00";
    QTest::newRow("end of a span within the day") << "8:00"
                                                  << "20:00"
                                                  << "20:00" << false << "8:00";
    QTest::newRow("evening") << "21:00"
                             << "6:30"
                             << "21:00" << true << "6:30";
    QTest::newRow("after midnight") << "21:00"
                                    << "6:30"
                                    << "0:00" << true << "6:30";
    QTest::newRow("morning") << "21:00"
                             << "6:30"
                             << "6:30" << false << "21:00";
}

void tst_ViewSettings::schedule()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, time);
    QFETCH(bool, night);
    QFETCH(QString, nextSwitch);

    const NightSchedule schedule{at(from), at(to)};
    QCOMPARE(schedule.isNightAt(at(time)), night);
    QCOMPARE(schedule.nextSwitchAfter(at(time)), at(nextSwitch));
}

void tst_ViewSettings::userHoldsUntilTheClockSwitches()
{
    // Saved as night, but the clock says day at start.
    NightSwitch night(true, NightSchedule{at("21:00"), at("6:30")});
    QVERIFY(night.checkClock(at("12:00")));
    QVERIFY(!night.isNight());
    night.setByUser(true);
    QVERIFY(!night.checkClock(at("20:59")));
    QVERIFY(night.isNight());
    QVERIFY(!night.checkClock(at("21:00")));
    night.setByUser(false);
    QVERIFY(!night.checkClock(at("23:00")));
    QVERIFY(!night.isNight());
    // The morning switch finds day already chosen; the evening one switches.
    QVERIFY(!night.checkClock(at("6:30")));
    QVERIFY(night.checkClock(at("21:00")));
    QVERIFY(night.isNight());
}

void tst_ViewSettings::section_data()
{
    QTest::addColumn<QByteArray>("before");
    // "night schedule problem-keys", as read at start.
    QTest::addColumn<QString>("read");
    QTest::addColumn<bool>("nightAtClose");
    QTest::addColumn<QByteArray>("after"); // empty: untouched

    const QByteArray lf = "; mine\n[PARAMETRES]\nDummyMode=True\n[LOG]\nFolder=logs\n";
    QTest::newRow("no section, day: untouched") << lf << "day none" << false << QByteArray();
    QTest::newRow("no section, night: added at the end in the file's line ends")
        << lf << "day none" << true << lf + "[VIEW]\nNight=True\n";
    const QByteArray view = "[view]\r\nNightFrom=21:00\r\nnight=TRUE\r\nNightTo=6:30\r\n[LOG]\r\n";
    QTest::newRow("the same value: untouched")
        << view << "night 21:00-06:30" << true << QByteArray();
    QTest::newRow("replaced in place, the key's spelling kept")
        << view << "night 21:00-06:30" << false
        << QByteArray("[view]\r\nNightFrom=21:00\r\nnight=False\r\nNightTo=6:30\r\n[LOG]\r\n");
    QTest::newRow("bad values reported, and replaced at close")
        << QByteArray("[VIEW]\nNight=yes\nNightFrom=24:00\nNightTo=06:30\n")
        << "day none Night=yes NightFrom=24:00" << false
        << QByteArray("[VIEW]\nNight=False\nNightFrom=24:00\nNightTo=06:30\n");
    QTest::newRow("one time alone") << QByteArray("[VIEW]\nNightTo=06:30\n")
                                    << "day none NightTo=06:30" << false << QByteArray();
    QTest::newRow("a mistyped key is told, the others read")
        << QByteArray("[VIEW]\nNite=True\nNightFrom=21:00\nNightTo=6:30\n")
        << "day 21:00-06:30 Nite" << false << QByteArray();
    QTest::newRow("the same time twice")
        << QByteArray("[VIEW]\nNightFrom=06:30\nNightTo=06:30\n") << "day none NightTo=06:30"
        << true << QByteArray("[VIEW]\nNightFrom=06:30\nNightTo=06:30\nNight=True\n");
}

void tst_ViewSettings::section()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, read);
    QFETCH(bool, nightAtClose);
    QFETCH(QByteArray, after);

    QTemporaryDir folder;
    SettingsFile settings(folder.path(), folder.filePath("fallback"));
    settings.selectFile("Application.ini");
    QFile file(settings.path());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(before);
    file.close();

    const ViewSettings view = readViewSettings(settings);
    QStringList seen = {view.config.night ? "night" : "day", "none"};
    if (view.config.schedule)
        seen[1] = view.config.schedule->from.toString("HH:mm") + '-'
            + view.config.schedule->to.toString("HH:mm");
    for (const QString &problem : view.problems) {
        QVERIFY2(problem.contains(settings.path()), qPrintable(problem));
        seen << problem.section('"', 1, 1);
    }
    QCOMPARE(seen.join(' '), read);

    writeNightSetting(settings, nightAtClose);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), after.isEmpty() ? before : after);
}

QTEST_APPLESS_MAIN(tst_ViewSettings)
#include "tst_viewsettings.moc"
