// SPDX-License-Identifier: MIT
#include "core/settingsfile.h"
#include "core/viewsettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QTime at(const char *text)
{
    return QTime::fromString(QString::fromLatin1(text), QStringLiteral("HH:mm"));
}

// A settings file in a temporary folder holding bytes.
class SettingsFixture
{
public:
    explicit SettingsFixture(const QByteArray &bytes)
        : settings(folder.path(), folder.filePath("fallback"))
    {
        settings.selectFile("Application.ini");
        QFile file(settings.path());
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }

    QByteArray bytes() const
    {
        QFile file(settings.path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }

    QTemporaryDir folder;
    SettingsFile settings;
};

} // namespace

class tst_ViewSettings : public QObject
{
    Q_OBJECT

private slots:
    void schedule_data();
    void schedule();
    void clockAndUser_data();
    void clockAndUser();
    void readSection_data();
    void readSection();
    void nightWrittenAtClose_data();
    void nightWrittenAtClose();
};

void tst_ViewSettings::schedule_data()
{
    QTest::addColumn<QString>("span");
    QTest::addColumn<QString>("time");
    QTest::addColumn<bool>("night");
    QTest::addColumn<QString>("nextSwitch");

    QTest::newRow("day span, before") << "08:00-20:00"
                                      << "07:59" << false << "08:00";
    QTest::newRow("day span, at its start") << "08:00-20:00"
                                            << "08:00" << true << "20:00";
    QTest::newRow("day span, at its end") << "08:00-20:00"
                                          << "20:00" << false << "08:00";
    QTest::newRow("across midnight, evening") << "21:00-06:30"
                                              << "21:00" << true << "06:30";
    QTest::newRow("across midnight, midnight") << "21:00-06:30"
                                               << "00:00" << true << "06:30";
    QTest::newRow("across midnight, last minute") << "21:00-06:30"
                                                  << "06:29" << true << "06:30";
    QTest::newRow("across midnight, morning") << "21:00-06:30"
                                              << "06:30" << false << "21:00";
    QTest::newRow("across midnight, afternoon") << "21:00-06:30"
                                                << "20:59" << false << "21:00";
}

void tst_ViewSettings::schedule()
{
    QFETCH(QString, span);
    QFETCH(QString, time);
    QFETCH(bool, night);
    QFETCH(QString, nextSwitch);

    const NightSchedule schedule{at(qPrintable(span.left(5))), at(qPrintable(span.mid(6)))};
    QCOMPARE(schedule.isNightAt(at(qPrintable(time))), night);
    QCOMPARE(schedule.nextSwitchAfter(at(qPrintable(time))), at(qPrintable(nextSwitch)));
}

void tst_ViewSettings::clockAndUser_data()
{
    QTest::addColumn<bool>("saved");
    // Each step: a time, "check" (the clock's minute) or "user day"/"user
    // night" (the menu), and the colours after it.
    QTest::addColumn<QStringList>("steps");

    QTest::newRow("the clock takes over at start")
        << true << QStringList{"12:00 check day", "21:00 check night", "06:30 check day"};
    QTest::newRow("the user holds until the next switch")
        << false << QStringList{"22:00 check night", "22:10 user day",   "23:00 check day",
                                "06:30 check day",   "12:00 user night", "20:59 check night",
                                "21:00 check night", "06:30 check day"};
}

void tst_ViewSettings::clockAndUser()
{
    QFETCH(bool, saved);
    QFETCH(QStringList, steps);

    NightSwitch nightSwitch(saved, NightSchedule{at("21:00"), at("06:30")});
    for (const QString &step : steps) {
        const QStringList parts = step.split(u' ');
        const bool night = parts.last() == "night";
        if (parts[1] == "user")
            nightSwitch.setByUser(night);
        else
            nightSwitch.checkClock(at(qPrintable(parts[0])));
        QVERIFY2(nightSwitch.isNight() == night, qPrintable(step));
    }
}

void tst_ViewSettings::readSection_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("night");
    QTest::addColumn<QString>("schedule");
    QTest::addColumn<QStringList>("problems");

    const QByteArray head = "[PARAMETRES]\r\nDummyMode=True\r\n";
    QTest::newRow("no section") << head << false << "none" << QStringList();
    QTest::newRow("night and a schedule across midnight")
        << head + "[view]\r\nnight=TRUE\r\nNightFrom=21:00\r\nNightTo=6:30\r\n"
        << true << "21:00-06:30" << QStringList();
    QTest::newRow("bad values") << head + "[VIEW]\nNight=yes\nNightFrom=24:00\nNightTo=06:30\n"
                                << false << "none" << QStringList{"Night=yes", "NightFrom=24:00"};
    QTest::newRow("one time alone") << head + "[VIEW]\nNightTo=06:30\n"
                                    << false << "none" << QStringList{"NightFrom="};
    QTest::newRow("the same time twice")
        << head + "[VIEW]\nNight=False\nNightFrom=06:30\nNightTo=06:30\n"
        << false << "none" << QStringList{"NightTo=06:30"};
}

void tst_ViewSettings::readSection()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, night);
    QFETCH(QString, schedule);
    QFETCH(QStringList, problems);

    SettingsFixture fixture(file);
    const ViewSettings read = readViewSettings(fixture.settings);
    QCOMPARE(read.night, night);
    QCOMPARE(read.schedule
                 ? read.schedule->from.toString("HH:mm") + '-' + read.schedule->to.toString("HH:mm")
                 : QStringLiteral("none"),
             schedule);
    QCOMPARE(read.problems.size(), problems.size());
    for (qsizetype i = 0; i < problems.size(); ++i) {
        QVERIFY2(read.problems[i].contains('"' + problems[i] + '"'), qPrintable(read.problems[i]));
        QVERIFY2(read.problems[i].contains(fixture.settings.path()), qPrintable(read.problems[i]));
    }
}

void tst_ViewSettings::nightWrittenAtClose_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("night");
    QTest::addColumn<QByteArray>("after");

    const QByteArray lf = "; mine\n[PARAMETRES]\nDummyMode=True\n[LOG]\nFolder=logs\n";
    QTest::newRow("no section and day: untouched") << lf << false << lf;
    QTest::newRow("no section and night: added at the end, in the file's line ends")
        << lf << true << lf + "[VIEW]\nNight=True\n";
    QTest::newRow("no line end at the end") << QByteArray("[PARAMETRES]\r\nDummyMode=True") << true
                                            << QByteArray("[PARAMETRES]\r\nDummyMode=True\r\n"
                                                          "[VIEW]\r\nNight=True\r\n");
    const QByteArray view = "[VIEW]\r\nNightFrom=21:00\r\nnight=true\r\n[LOG]\r\nFolder=x\r\n";
    QTest::newRow("the same value: untouched") << view << true << view;
    QTest::newRow("replaced in place, the key's spelling kept")
        << view << false
        << QByteArray("[VIEW]\r\nNightFrom=21:00\r\nnight=False\r\n"
                      "[LOG]\r\nFolder=x\r\n");
    QTest::newRow("a value that did not read is replaced")
        << QByteArray("[VIEW]\nNight=maybe\n") << false << QByteArray("[VIEW]\nNight=False\n");
    QTest::newRow("a section without the key gains it")
        << QByteArray("[VIEW]\nNightFrom=21:00\nNightTo=06:30\n\n; end\n") << true
        << QByteArray("[VIEW]\nNightFrom=21:00\nNightTo=06:30\nNight=True\n\n; end\n");
}

void tst_ViewSettings::nightWrittenAtClose()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, night);
    QFETCH(QByteArray, after);

    SettingsFixture fixture(before);
    writeNightSetting(fixture.settings, night);
    QCOMPARE(fixture.bytes(), after);
    QCOMPARE(readViewSettings(fixture.settings).night, night);
}

QTEST_APPLESS_MAIN(tst_ViewSettings)
#include "tst_viewsettings.moc"
