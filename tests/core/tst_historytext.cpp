// SPDX-License-Identifier: MIT
#include "core/datalogsettings.h"
#include "core/settingsfile.h"
#include "core/windperiodstatistics.h"
#include "core/windstatisticstext.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

// The history window's texts and the data log's settings section: pure
// functions of core, without a window.
class tst_HistoryText : public QObject
{
    Q_OBJECT

private slots:
    void sixteenPoints_data();
    void sixteenPoints();
    void periodFigures_data();
    void periodFigures();
    void speedsInEveryUnit_data();
    void speedsInEveryUnit();
    void logSection_data();
    void logSection();
};

void tst_HistoryText::sixteenPoints_data()
{
    QTest::addColumn<double>("degrees");
    QTest::addColumn<QString>("point");
    QTest::newRow("north") << 0.0 << "N";
    QTest::newRow("just west of north is north") << 348.75 << "N";
    QTest::newRow("just short of the NNE boundary") << 11.249 << "N";
    QTest::newRow("NNE starts at 11.25") << 11.25 << "NNE";
    QTest::newRow("NE") << 45.0 << "NE";
    QTest::newRow("ESE") << 112.5 << "ESE";
    QTest::newRow("SSW") << 202.5 << "SSW";
    QTest::newRow("WNW") << 292.5 << "WNW";
    QTest::newRow("NNW up to 348.75") << 348.74 << "NNW";
    QTest::newRow("360 is north") << 360.0 << "N";
    QTest::newRow("a display's -0.5 is north") << -0.5 << "N";
    QTest::newRow("a display's 720 is north") << 720.0 << "N";
}

void tst_HistoryText::sixteenPoints()
{
    QFETCH(double, degrees);
    QFETCH(QString, point);
    QCOMPARE(sixteenPointCompass(degrees), point);
}

void tst_HistoryText::periodFigures_data()
{
    QTest::addColumn<qint64>("coveredMs");
    QTest::addColumn<double>("meanSpeed");
    QTest::addColumn<bool>("calm");
    QTest::addColumn<double>("direction"); // negative: none
    QTest::addColumn<QString>("coverage");
    QTest::addColumn<QString>("shownDirection");
    QTest::addColumn<QString>("spokenDirection");

    const qint64 ten = 600000;
    QTest::newRow("full, north-west") << ten << 5.0 << false << 315.2 << "100 %"
                                      << "315° NW"
                                      << "315 degrees, NW";
    QTest::newRow("359.6 rounds to 0, north") << ten << 5.0 << false << 359.6 << "100 %"
                                              << "0° N"
                                              << "0 degrees, N";
    QTest::newRow("calm has no direction") << ten << 0.3 << true << -1.0 << "100 %"
                                           << "Calm"
                                           << "calm";
    QTest::newRow("cancelled directions") << ten << 5.0 << false << -1.0 << "100 %"
                                          << "—"
                                          << "variable: the directions cancel out";
    QTest::newRow("65.99 % reads 65, not 66")
        << ten * 6599 / 10000 << 5.0 << false << 10.0 << "65 %"
        << "10° N"
        << "10 degrees, N";
    QTest::newRow("no samples") << qint64(0) << 0.0 << false << -1.0 << "0 %"
                                << "—"
                                << "variable: the directions cancel out";
}

void tst_HistoryText::periodFigures()
{
    QFETCH(qint64, coveredMs);
    QFETCH(double, meanSpeed);
    QFETCH(bool, calm);
    QFETCH(double, direction);
    WindPeriodStatistics period;
    period.startMs = 1000;
    period.endMs = 601000;
    period.coveredMs = coveredMs;
    period.meanSpeed = meanSpeed;
    period.calm = calm;
    if (direction >= 0)
        period.meanDirection = direction;
    const QLocale locale(QLocale::English, QLocale::UnitedStates);
    QTEST(coverageFigure(period, locale), "coverage");
    QTEST(directionFigure(period, locale), "shownDirection");
    QTEST(spokenDirection(period, locale), "spokenDirection");
}

void tst_HistoryText::speedsInEveryUnit_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("metresPerSecond");
    QTest::addColumn<QString>("kmh");
    QTest::addColumn<QString>("knots");
    QTest::addColumn<QString>("ms");
    QTest::addColumn<QString>("beaufort");
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("10 m/s") << english << 10.0 << "36.0"
                            << "19.4"
                            << "10.0"
                            << "5.8";
    QTest::newRow("calm air") << english << 0.0 << "0.0"
                              << "0.0"
                              << "0.0"
                              << "0.1";
    QTest::newRow("a comma where the locale has one")
        << QLocale(QLocale::German, QLocale::Germany) << 2.5 << "9,0"
        << "4,9"
        << "2,5"
        << "2,7";
}

void tst_HistoryText::speedsInEveryUnit()
{
    QFETCH(QLocale, locale);
    QFETCH(double, metresPerSecond);
    QTEST(speedFigure(metresPerSecond, SpeedUnit::KilometresPerHour, locale), "kmh");
    QTEST(speedFigure(metresPerSecond, SpeedUnit::Knots, locale), "knots");
    QTEST(speedFigure(metresPerSecond, SpeedUnit::MetresPerSecond, locale), "ms");
    QTEST(beaufortFigure(metresPerSecond, locale), "beaufort");
}

void tst_HistoryText::logSection_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QString>("folder"); // relative to the settings file's; empty: no log
    QTest::addColumn<int>("keepDays"); // -1: kept for ever
    QTest::addColumn<QString>("problem"); // what the one message quotes

    QTest::newRow("no section, no log") << QByteArray() << QString() << -1 << QString();
    QTest::newRow("a section without a folder, no log")
        << QByteArray("[LOG]\r\nKeepDays=3\r\n") << QString() << -1 << QString();
    QTest::newRow("folder and days")
        << QByteArray("[LOG]\r\nFolder=logs\r\nKeepDays=30\r\n") << "logs" << 30 << QString();
    QTest::newRow("no KeepDays keeps every file")
        << QByteArray("[LOG]\r\nFolder=logs\r\n") << "logs" << -1 << QString();
    QTest::newRow("KeepDays 0 keeps today's file")
        << QByteArray("[log]\nfolder = logs/wind \nkeepdays=0\n") << "logs/wind" << 0 << QString();
    for (const char *days : {"-1", "1.5", "thirty", "100001", "99999999999"})
        QTest::addRow("KeepDays=%s turns the log off", days)
            << "[LOG]\r\nFolder=/tmp\r\nKeepDays=" + QByteArray(days) + "\r\n"
            << QString() << -1 << "\"KeepDays=" + QString::fromLatin1(days) + '"';
}

void tst_HistoryText::logSection()
{
    QFETCH(QByteArray, section);
    QFETCH(QString, folder);
    QFETCH(int, keepDays);
    QFETCH(QString, problem);
    QTemporaryDir dir;
    SettingsFile settings(dir.path(), dir.path());
    settings.selectFile(QStringLiteral("Application.ini"));
    QFile file(settings.path());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[PARAMETRES]\r\nDummyMode=True\r\n" + section);
    file.close();

    const SectionSettings<DataLogConfig> log = readDataLogSettings(settings);
    QCOMPARE(log.config.folder, folder.isEmpty() ? folder : QDir(dir.path()).filePath(folder));
    if (log.config.isOn())
        QCOMPARE(log.config.keepDays.value_or(-1), keepDays);
    QCOMPARE(log.problems.size(), problem.isEmpty() ? 0 : 1);
    if (!problem.isEmpty())
        QVERIFY2(log.problems.first().contains(problem)
                     && log.problems.first().contains(settings.path())
                     && log.problems.first().endsWith(QStringLiteral("The wind log is off.")),
                 qPrintable(log.problems.first()));
}

QTEST_GUILESS_MAIN(tst_HistoryText)
#include "tst_historytext.moc"
