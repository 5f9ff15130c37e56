// SPDX-License-Identifier: MIT
#include "core/sectionreader.h"
#include "core/settingstext.h"
#include "sectionfile.h"

#include <QTest>

namespace {

// A section [S] of two independent parts: Alpha a text without an x,
// Beta a whole number from 1 to 9.
struct TwoParts
{
    std::optional<QString> alpha;
    std::optional<int> beta;
};

// "alpha beta" as read, "-" for off; a long text by its length.
QString summary(const TwoParts &config)
{
    QString alpha = config.alpha.value_or(QStringLiteral("-"));
    if (alpha.size() > 9)
        alpha = QString::number(alpha.size()) + QStringLiteral(" characters");
    return alpha + u' ' + (config.beta ? QString::number(*config.beta) : QStringLiteral("-"));
}

SectionSettings<TwoParts> readTwoParts(SettingsFile &file, bool unknownKeyTurnsAllOff)
{
    TwoParts config;
    SectionReader section(file, QStringLiteral("S"),
                          {{QStringLiteral("Alpha is off."),
                            [&config] {
                                config.alpha.reset();
                            }},
                           {QStringLiteral("Beta is off."),
                            [&config] {
                                config.beta.reset();
                            }},
                           {QStringLiteral("All is off."),
                            [&config] {
                                config = TwoParts();
                            }}},
                          unknownKeyTurnsAllOff ? std::optional<int>(2) : std::nullopt);
    const auto withoutX = [](const QString &text) {
        return text.contains(u'x') ? std::nullopt : std::optional<QString>(text);
    };
    const auto digit = [](const QString &text) {
        return plainWholeNumber(text, 1, 9);
    };
    section.read({settingKey(QStringLiteral("Alpha"), config.alpha, withoutX,
                             QStringLiteral("expected no x."), 0),
                  settingKey(QStringLiteral("Beta"), config.beta, digit,
                             QStringLiteral("expected 1 to 9."), 1)});
    return section.finish(config);
}

} // namespace

class tst_SectionReader : public QObject
{
    Q_OBJECT

private slots:
    void onePolicy_data();
    void onePolicy();
};

void tst_SectionReader::onePolicy_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("unknownKeyTurnsAllOff");
    QTest::addColumn<QString>("read");
    QTest::addColumn<QStringList>("problems"); // what each message holds, in order

    QTest::newRow("no section") << QByteArray("[OTHER]\r\nAlpha=\r\n") << false << "- -"
                                << QStringList();
    QTest::newRow("bad value: named with what was expected and what is off, the other part on")
        << QByteArray("[S]\r\nAlpha=x\r\nBeta=2\r\n") << false << "- 2"
        << QStringList{"\"Alpha=x\" in section [S] of the settings file %1 cannot be used: "
                       "expected no x. Alpha is off."};
    QTest::newRow("mistyped key, named with the keys there are; nothing off")
        << QByteArray("[S]\r\nAlpha=1\r\nAlpah=2\r\nBeta=3\r\n") << false << "1 3"
        << QStringList{"\"Alpah\" (set to \"2\") in section [S] of the settings file %1 is not "
                       "one of that section's keys, which are Alpha, Beta."};
    QTest::newRow("mistyped key in a section of one feature turns it off")
        << QByteArray("[S]\r\nAlpha=1\r\nNite=True\r\n") << true << "- -"
        << QStringList{"\"Nite\" (set to \"True\")"};
    QTest::newRow("empty value turns its part off")
        << QByteArray("[S]\r\nAlpha=1\r\nbeta=  \r\n") << false << "1 -"
        << QStringList{"\"beta\" in section [S] of the settings file %1 has an empty value "
                       "(\"\"). Give it a value, or remove the line to leave the setting out. "
                       "Beta is off."};
    QTest::newRow("empty value of a repeat the reader never reaches")
        << QByteArray("[S]\r\nBeta=2\r\nBeta=\r\nbeta=x\r\n") << false << "- 2" << QStringList();
    QTest::newRow("254 characters are kept")
        << QByteArray("[S]\r\nAlpha=" + QByteArray(254, 'a') + "\r\n") << false
        << "254 characters -" << QStringList();
    QTest::newRow("255 are refused, not cut, naming key and file")
        << QByteArray("[S]\r\nAlpha=" + QByteArray(255, 'a') + "\r\nBeta=3\r\n") << false << "- 3"
        << QStringList{"\"Alpha\" in section [S] of the settings file %1 holds 255 characters"};
    QTest::newRow("255 characters of UTF-8 are 255, not their bytes")
        << QByteArray("[S]\r\nAlpha=") + QString(255, QChar(0x98a8)).toUtf8() + "\r\n"
        << false << "- -" << QStringList{"holds 255 characters"};
    QTest::newRow("a long value is shown by its start")
        << QByteArray("[S]\r\nBeta=" + QByteArray(200, 'y') + "\r\n") << false << "- -"
        << QStringList{"\"Beta=" + QString(60, u'y') + "...\""};
    QTest::newRow("every problem told once, in the file's order")
        << QByteArray("[S]\r\nBeta=0\r\nGamma=1\r\nAlpha=\r\n") << false << "- -"
        << QStringList{"\"Beta=0\"", "\"Gamma\"", "\"Alpha\""};
}

void tst_SectionReader::onePolicy()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, unknownKeyTurnsAllOff);
    QFETCH(QString, read);
    QFETCH(QStringList, problems);
    SectionFile settings(file);
    for (QString &problem : problems)
        problem = problem.replace(QStringLiteral("%1"), settings.path());

    const SectionSettings<TwoParts> section
        = readTwoParts(settings.settings(), unknownKeyTurnsAllOff);
    QCOMPARE(summary(section.config), read);
    QVERIFY2(settings.told(section.problems, problems), qPrintable(section.problems.join(u'\n')));
}

QTEST_APPLESS_MAIN(tst_SectionReader)
#include "tst_sectionreader.moc"
