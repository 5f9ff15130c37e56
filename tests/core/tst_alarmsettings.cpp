// SPDX-License-Identifier: MIT
#include "core/settingsfile.h"
#include "core/windalarmsettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString optionalFigure(std::optional<double> value)
{
    return value ? QString::number(*value, 'f', 2) : QStringLiteral("off");
}

// The configuration in one line, speeds in m/s.
QString summary(const WindAlarmConfig &config)
{
    const QString units[] = {"kmh", "kn", "ms"};
    return QStringLiteral("unit=%1 mean=%2 gust=%3 shift=%4/%5 silence=%6 command=[%7] example=%8")
        .arg(units[int(config.unit)], optionalFigure(config.meanAboveMetresPerSecond),
             optionalFigure(config.gustAboveMetresPerSecond), optionalFigure(config.shiftDegrees))
        .arg(config.shiftMinutes)
        .arg(config.noReadingSeconds ? QString::number(*config.noReadingSeconds) : "off",
             config.command.join(u'|'), config.exampleModeRaises ? "on" : "off");
}

} // namespace

class tst_AlarmSettings : public QObject
{
    Q_OBJECT

private slots:
    void alarmSection_data();
    void alarmSection();
};

void tst_AlarmSettings::alarmSection_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");
    // What each problem names in quotes, in order: "key=value" for a value
    // that cannot be used, the key alone for one that is unknown, empty or
    // too long.
    QTest::addColumn<QStringList>("problems");

    const QByteArray head = "[PARAMETRES]\r\nDummyMode=True\r\n";
    const QString allOff
        = "unit=kn mean=off gust=off shift=off/5 silence=off command=[] example=off";

    QTest::newRow("no section") << head << allOff << QStringList();
    QTest::newRow("every key, knots by default")
        << head
            + "[ALARM]\r\nMeanAbove=25\r\nGustAbove=35.5\r\nShiftDegrees=30\r\nShiftMinutes=10\r\n"
              "NoReadingSeconds=20\r\nCommand=\"/opt/wind tools/alarm\" --loud\r\n"
              "ExampleMode=True\r\n[LOG]\r\nFolder=x\r\n"
        << "unit=kn mean=12.86 gust=18.26 shift=30.00/10 silence=20 "
           "command=[/opt/wind tools/alarm|--loud] example=on"
        << QStringList();
    QTest::newRow("km/h, names in any case")
        << head + "[alarm]\nunit=KMH\nmeanabove=36\n"
        << "unit=kmh mean=10.00 gust=off shift=off/5 silence=off command=[] example=off"
        << QStringList();
    QTest::newRow("m/s, and a shift of the default 5 minutes")
        << head + "[ALARM]\nUnit=ms\nGustAbove=20\nShiftDegrees=45\n"
        << "unit=ms mean=off gust=20.00 shift=45.00/5 silence=off command=[] example=off"
        << QStringList();
    QTest::newRow("a bad speed leaves the other alarms on")
        << head + "[ALARM]\nMeanAbove=25,5\nGustAbove=30\nNoReadingSeconds=20\n"
        << "unit=kn mean=off gust=15.43 shift=off/5 silence=20 command=[] example=off"
        << QStringList{"MeanAbove=25,5"};
    QTest::newRow("a bad unit turns off both speed alarms, once")
        << head + "[ALARM]\nUnit=mph\nMeanAbove=25\nGustAbove=30\nShiftDegrees=30\n"
        << "unit=kn mean=off gust=off shift=30.00/5 silence=off command=[] example=off"
        << QStringList{"Unit=mph"};
    QTest::newRow("empty values and an unknown key")
        << head + "[ALARM]\nGustAbov=30\nMeanAbove=\nCommand=\nNoReadingSeconds=20\n"
        << "unit=kn mean=off gust=off shift=off/5 silence=20 command=[] example=off"
        << QStringList{"GustAbov", "MeanAbove", "Command"};
    QTest::newRow("unknown keys: one message each, the other alarms stay on")
        << head + "[ALARM]\nGustAbov=30\nShiftDegrees=30\nMeanAbov=20\n"
        << "unit=kn mean=off gust=off shift=30.00/5 silence=off command=[] example=off"
        << QStringList{"GustAbov", "MeanAbov"};
    QTest::newRow("a quote without its end runs nothing")
        << head + "[ALARM]\nGustAbove=30\nCommand=\"/opt/wind tools/alarm --loud\n"
        << "unit=kn mean=off gust=15.43 shift=off/5 silence=off command=[] example=off"
        << QStringList{"Command=\"/opt/wind tools/alarm --loud"};
    QTest::newRow("three quotes are a quote character")
        << head + "[ALARM]\nGustAbove=30\nCommand=say \"a \"\"\"b\"\"\" c\"\n"
        << "unit=kn mean=off gust=15.43 shift=off/5 silence=off command=[say|a \"b\" c] "
           "example=off"
        << QStringList();
    QTest::newRow("out of range") << head
            + "[ALARM]\nMeanAbove=0\nGustAbove=1001\nShiftDegrees=180\nNoReadingSeconds=0\n"
              "ExampleMode=yes\n" << allOff
                                  << QStringList{"MeanAbove=0", "GustAbove=1001",
                                                 "ShiftDegrees=180", "NoReadingSeconds=0",
                                                 "ExampleMode=yes"};
    QTest::newRow("ShiftMinutes alone; a second section does not count")
        << head + "[ALARM]\nShiftMinutes=5\n[ALARM2]\nShiftDegrees=30\n"
        << allOff << QStringList{"ShiftMinutes=5"};
    QTest::newRow("a bad shift minutes turns the shift off")
        << head + "[ALARM]\nShiftDegrees=30\nShiftMinutes=61\n"
        << allOff << QStringList{"ShiftMinutes=61"};
}

void tst_AlarmSettings::alarmSection()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);
    QFETCH(QStringList, problems);

    QTemporaryDir folder;
    SettingsFile settings(folder.path(), folder.filePath("fallback"));
    settings.selectFile("Application.ini");
    QFile written(settings.path());
    QVERIFY(written.open(QIODevice::WriteOnly));
    written.write(file);
    written.close();

    const WindAlarmSettings read = readWindAlarmSettings(settings);
    QCOMPARE(summary(read.config), expected);
    QCOMPARE(read.problems.size(), problems.size());
    for (qsizetype i = 0; i < problems.size(); ++i) {
        QVERIFY2(read.problems[i].contains('"' + problems[i] + '"'), qPrintable(read.problems[i]));
        QVERIFY2(read.problems[i].contains(settings.path()), qPrintable(read.problems[i]));
    }
}

QTEST_APPLESS_MAIN(tst_AlarmSettings)
#include "tst_alarmsettings.moc"
