// SPDX-License-Identifier: MIT
#include "core/apperror.h"
#include "core/sensorsettings.h"
#include "sectionfile.h"

#include <QLocale>
#include <QTest>

class tst_SensorSettings : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void section_data();
    void section();
    void zeroDirectionWritten_data();
    void zeroDirectionWritten();
};

void tst_SensorSettings::section_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<double>("offset");
    QTest::addColumn<double>("factor");
    QTest::addColumn<QString>("problem"); // what the one message quotes

    QTest::newRow("no section: no correction") << QByteArray() << 0.0 << 1.0 << QString();
    QTest::newRow("both, any letter case")
        << QByteArray("directionoffset=-10\nSPEEDFACTOR=1.1") << -10.0 << 1.1 << QString();
    QTest::newRow("the limits, decimals")
        << QByteArray("DirectionOffset=-180.0\nSpeedFactor=0.5") << -180.0 << 0.5 << QString();
    QTest::newRow("an offset in words turns every correction off")
        << QByteArray("DirectionOffset=east\nSpeedFactor=1.1") << 0.0 << 1.0
        << "\"DirectionOffset=east\"";
    QTest::newRow("an offset beyond -180")
        << QByteArray("DirectionOffset=-180.5") << 0.0 << 1.0 << "\"DirectionOffset=-180.5\"";
    QTest::newRow("a factor above 2") << QByteArray("DirectionOffset=5\nSpeedFactor=2.01") << 0.0
                                      << 1.0 << "\"SpeedFactor=2.01\"";
    QTest::newRow("a mistyped key") << QByteArray("DirectionOffset=5\nSpeedFacter=1.1") << 0.0
                                    << 1.0 << "\"SpeedFacter\" (set to \"1.1\")";
}

void tst_SensorSettings::section()
{
    QFETCH(QByteArray, lines);
    QFETCH(double, offset);
    QFETCH(double, factor);
    QFETCH(QString, problem);

    SectionFile file(lines.isEmpty() ? QByteArray() : "[SENSOR]\n" + lines + '\n');
    const SectionSettings<WindCorrections> read = readSensorSection(file.settings());
    QCOMPARE(read.config.directionOffsetDegrees, offset);
    QCOMPARE(read.config.speedFactor, factor);
    QVERIFY2(file.told(read.problems, problem.isEmpty() ? QStringList() : QStringList{problem}),
             qPrintable(read.problems.join(u'\n')));
    if (!problem.isEmpty())
        QVERIFY(read.problems.first().endsWith("No reading is corrected until this is mended."));
}

void tst_SensorSettings::zeroDirectionWritten_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<double>("offset");
    QTest::addColumn<QByteArray>("after"); // empty: refused, the file unchanged

    const QByteArray values = "; mine\n[PARAMETRES]\nDummyMode=False\n[VALUES]\nAngle=1\n";
    QTest::newRow("a file without the section gains it at its end")
        << values << -45.3 << values + "[SENSOR]\nDirectionOffset=-45.3\n";
    QTest::newRow("in place, every other line kept")
        << QByteArray("[SENSOR]\r\n; set on the mast\r\nspeedfactor=1.1\r\ndirectionoffset=-10\r\n"
                      "[LOG]\r\nFolder=.\r\n")
        << 12.5
        << QByteArray("[SENSOR]\r\n; set on the mast\r\nspeedfactor=1.1\r\ndirectionoffset=12.5\r\n"
                      "[LOG]\r\nFolder=.\r\n");
    QTest::newRow("Reset writes 0") << QByteArray("[SENSOR]\nDirectionOffset=30\n") << -0.0
                                    << QByteArray("[SENSOR]\nDirectionOffset=0\n");
    QTest::newRow("the digits a double needs, no more")
        << QByteArray() << -179.99999999999997
        << QByteArray("[SENSOR]\r\nDirectionOffset=-179.99999999999997\r\n");
    QTest::newRow("a tiny offset in exponent form")
        << QByteArray() << 1e-300 << QByteArray("[SENSOR]\r\nDirectionOffset=1e-300\r\n");
    QTest::newRow("beyond 180 is refused") << values << 180.5 << QByteArray();
}

// What is written reads back exactly, under the locale it was written in
// and under any other.
void tst_SensorSettings::zeroDirectionWritten()
{
    QFETCH(QByteArray, before);
    QFETCH(double, offset);
    QFETCH(QByteArray, after);

    SectionFile file(before);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    try {
        writeDirectionOffset(file.settings(), offset);
        QVERIFY2(!after.isEmpty(), "the offset should have been refused");
    } catch (const AppError &error) {
        QVERIFY2(after.isEmpty(), qPrintable(error.description()));
        QCOMPARE(error.kind(), AppError::Kind::InvalidArgument);
    }
    QCOMPARE(file.contents(), after.isEmpty() ? before : after);
    if (after.isEmpty())
        return;
    for (const QLocale &locale : {QLocale::c(), QLocale(QLocale::Arabic, QLocale::Egypt)}) {
        QLocale::setDefault(locale);
        const SectionSettings<WindCorrections> read = readSensorSection(file.settings());
        QCOMPARE(read.problems, QStringList());
        // Exactly, which QCOMPARE's fuzzy comparison of doubles would not tell.
        QVERIFY(read.config.directionOffsetDegrees == offset);
    }
}

QTEST_APPLESS_MAIN(tst_SensorSettings)
#include "tst_sensorsettings.moc"
