// SPDX-License-Identifier: MIT
#include "core/runwaywind.h"

#include <QTest>

class tst_RunwayWind : public QObject
{
    Q_OBJECT

private slots:
    void components_data();
    void components();
    void text_data();
    void text();
    void runwaysSection_data();
    void runwaysSection();
};

void tst_RunwayWind::components_data()
{
    QTest::addColumn<double>("heading");
    QTest::addColumn<double>("windFrom");
    QTest::addColumn<double>("headwind");
    QTest::addColumn<double>("crosswind");

    QTest::newRow("from the left of 27") << 270.0 << 240.0 << 8.660254 << -5.0;
    QTest::newRow("from the right of 27") << 270.0 << 300.0 << 8.660254 << 5.0;
    QTest::newRow("tailwind from behind and to the left") << 270.0 << 120.0 << -8.660254 << -5.0;
    QTest::newRow("across north: 36 with a wind from 010") << 360.0 << 10.0 << 9.848078 << 1.736482;
}

void tst_RunwayWind::components()
{
    QFETCH(double, heading);
    QFETCH(double, windFrom);
    QFETCH(double, headwind);
    QFETCH(double, crosswind);

    const RunwayWindComponents components = runwayWindComponents(heading, windFrom, 10);
    QVERIFY2(qAbs(components.headwind - headwind) < 1e-6,
             qPrintable(QString::number(components.headwind)));
    QVERIFY2(qAbs(components.crosswind - crosswind) < 1e-6,
             qPrintable(QString::number(components.crosswind)));
}

void tst_RunwayWind::text_data()
{
    QTest::addColumn<double>("headwind");
    QTest::addColumn<double>("crosswind");
    QTest::addColumn<double>("gustCrosswind"); // negative: none
    QTest::addColumn<QString>("text");

    QTest::newRow("headwind, left crosswind and its gust")
        << 14.1 << -5.13 << 8.55
        << "RWY 27: headwind 14 kt, crosswind 5 kt from the left, gusts to 9";
    QTest::newRow("halves round up, from the right")
        << 13.5 << 4.5 << -1.0 << "RWY 27: headwind 14 kt, crosswind 5 kt from the right";
    QTest::newRow("tailwind") << -3.5 << 0.4 << -1.0 << "RWY 27: tailwind 4 kt, crosswind 0 kt";
    QTest::newRow("a tailwind that rounds to 0 is none")
        << -0.4 << -9.6 << -1.0 << "RWY 27: headwind 0 kt, crosswind 10 kt from the left";
}

void tst_RunwayWind::text()
{
    QFETCH(double, headwind);
    QFETCH(double, crosswind);
    QFETCH(double, gustCrosswind);
    QFETCH(QString, text);

    std::optional<double> gust;
    if (gustCrosswind >= 0)
        gust = gustCrosswind;
    QCOMPARE(runwayWindText(QStringLiteral("27"), {headwind, crosswind}, gust), text);
}

void tst_RunwayWind::runwaysSection_data()
{
    QTest::addColumn<QStringList>("lines"); // key=value
    QTest::addColumn<QStringList>("runways"); // name=heading as read
    QTest::addColumn<QStringList>("problems"); // a part of each message

    QTest::newRow("two runways in their order")
        << QStringList{"27=268", "09=088.5"} << QStringList{"27=268", "09=88.5"} << QStringList{};
    QTest::newRow("the ends of the compass")
        << QStringList{"36=360", "north strip=0"} << QStringList{"36=360", "north strip=0"}
        << QStringList{};
    QTest::newRow("bad headings are told and left out, the others kept")
        << QStringList{"27=abc", "09=088", "18=361", "36=-1", "04=45,5", "22=", "13=1e2"}
        << QStringList{"09=88"} << QStringList{"\"27=abc\"",  "\"18=361\"", "\"36=-1\"",
                                               "\"04=45,5\"", "\"22=\"",    "\"13=1e2\""};
    QTest::newRow("a runway named twice keeps its first line")
        << QStringList{"27L=268", "27l=270"} << QStringList{"27L=268"}
        << QStringList{"\"27l=270\" in section [RUNWAYS] of the settings file /etc/wind/"
                       "Application.ini names a runway a line above it names too. That runway "
                       "is left out."};
    QTest::newRow("a name too long for the window")
        << QStringList{"the long grass strip by the river=90"} << QStringList{}
        << QStringList{"does not name a runway"};
}

void tst_RunwayWind::runwaysSection()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, runways);
    QFETCH(QStringList, problems);

    QList<std::pair<QString, QString>> section;
    for (const QString &line : lines)
        section.append({line.section(u'=', 0, 0), line.section(u'=', 1)});
    const RunwaySettings settings
        = readRunways(section, QStringLiteral("/etc/wind/Application.ini"));
    QStringList read;
    for (const Runway &runway : settings.runways)
        read.append(runway.name + u'=' + QString::number(runway.headingDegrees));
    QCOMPARE(read, runways);
    QCOMPARE(settings.problems.size(), problems.size());
    for (int i = 0; i < problems.size(); ++i)
        QVERIFY2(settings.problems[i].contains(problems[i]), qPrintable(settings.problems[i]));
}

QTEST_GUILESS_MAIN(tst_RunwayWind)

#include "tst_runwaywind.moc"
