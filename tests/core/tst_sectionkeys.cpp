// SPDX-License-Identifier: MIT
#include "core/apperror.h"
#include "core/sectionkeys.h"
#include "core/settingsfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_SectionKeys : public QObject
{
    Q_OBJECT

private slots:
    void refusesWhatReadsAsAbsent_data();
    void refusesWhatReadsAsAbsent();
};

void tst_SectionKeys::refusesWhatReadsAsAbsent_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("messageHolds"); // empty: accepted

    QTest::newRow("no section") << QByteArray("[OTHER]\r\nTcpPrt=\r\n") << QStringList();
    QTest::newRow("known keys in any case, blanks around the value")
        << QByteArray("[S]\r\nalpha=1\r\n BETA = two \r\n") << QStringList();
    QTest::newRow("mistyped key, named with the keys there are")
        << QByteArray("[S]\r\nAlpha=1\r\nAlpah=2\r\n")
        << QStringList{"\"Alpah\" (set to \"2\")", "[S]", "Alpha, Beta"};
    QTest::newRow("key with an empty value")
        << QByteArray("[S]\r\nAlpha=1\r\nbeta=  \r\n") << QStringList{"\"beta\"", "[S]", "(\"\")"};
    QTest::newRow("empty value of a repeat the readers never reach")
        << QByteArray("[S]\r\nBeta=2\r\nBeta=\r\n") << QStringList();
}

void tst_SectionKeys::refusesWhatReadsAsAbsent()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, messageHolds);
    QTemporaryDir folder;
    SettingsFile settings(folder.path(), folder.path());
    settings.selectFile(QStringLiteral("Application.ini"));
    QFile written(settings.path());
    QVERIFY(written.open(QIODevice::WriteOnly) && written.write(file) == file.size());
    written.close();

    try {
        checkSectionKeys(settings, QStringLiteral("S"), {"Alpha", "Beta"});
        QVERIFY2(messageHolds.isEmpty(), "the section was accepted");
    } catch (const AppError &error) {
        QVERIFY2(!messageHolds.isEmpty(), qPrintable(error.description()));
        QCOMPARE(error.kind(), AppError::Kind::InvalidArgument);
        for (const QString &part : messageHolds << QDir::toNativeSeparators(settings.path()))
            QVERIFY2(error.description().contains(part), qPrintable(error.description()));
    }
}

QTEST_APPLESS_MAIN(tst_SectionKeys)
#include "tst_sectionkeys.moc"
