// SPDX-License-Identifier: MIT
#include "core/apperror.h"
#include "core/numberformat.h"

#include <QLocale>
#include <QTest>

#include <cmath>

namespace {
const QLocale english(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);
const QLocale french(QLocale::French, QLocale::France);
const QLocale hebrew(QLocale::Hebrew, QLocale::Israel);

enum Format { Whole, OneDecimal, Beaufort };
} // namespace

class tst_NumberFormat : public QObject
{
    Q_OBJECT

private slots:
    void formats_data();
    void formats();
    void readsBackWhatItShows_data();
    void readsBackWhatItShows();
    void rejectsNonNumbers_data();
    void rejectsNonNumbers();
};

void tst_NumberFormat::formats_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("whole: rounds up") << Whole << english << 112.7 << "113";
    QTest::newRow("whole: rounds down") << Whole << english << 23.4 << "23";
    QTest::newRow("whole: negative keeps its sign") << Whole << english << -40.0 << "-40";
    QTest::newRow("whole: no group separator") << Whole << german << 1234567.0 << "1234567";

    QTest::newRow("one decimal: trailing zero") << OneDecimal << english << 36.0 << "36.0";
    QTest::newRow("one decimal: leading zero") << OneDecimal << english << 0.045 << "0.0";
    QTest::newRow("one decimal: rounds") << OneDecimal << english << 223.69356 << "223.7";
    QTest::newRow("one decimal: negative zero unsigned") << OneDecimal << english << -0.0 << "0.0";
    QTest::newRow("one decimal: no group separator")
        << OneDecimal << english << 1234.56 << "1234.6";
    QTest::newRow("one decimal: decimal comma") << OneDecimal << german << 1234.56 << "1234,6";
    QTest::newRow("one decimal: no narrow space") << OneDecimal << french << 12345.0 << "12345,0";

    QTest::newRow("Beaufort: lowest") << Beaufort << english << 0.1 << "0.1";
    QTest::newRow("Beaufort: whole drops decimals") << Beaufort << english << 5.0 << "5";
    QTest::newRow("Beaufort: highest") << Beaufort << english << 12.0 << "12";
    QTest::newRow("Beaufort: zero") << Beaufort << english << 0.0 << "0";
    QTest::newRow("Beaufort: decimal comma") << Beaufort << german << 5.8 << "5,8";
}

void tst_NumberFormat::formats()
{
    QFETCH(Format, format);
    QFETCH(QLocale, locale);
    QFETCH(double, value);
    QFETCH(QString, expected);
    switch (format) {
    case Whole:
        QCOMPARE(formatWhole(value, locale), expected);
        break;
    case OneDecimal:
        QCOMPARE(formatOneDecimal(value, locale), expected);
        break;
    case Beaufort:
        QCOMPARE(formatBeaufort(value, locale), expected);
        break;
    }
}

// Later readouts derive from an earlier one read back, so every text the
// formats write must read back as the value it shows, whatever the locale's
// separators, minus sign or digits.
void tst_NumberFormat::readsBackWhatItShows_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("shown");

    const QStringList locales{"C",     "en_US", "de_DE", "fr_FR", "sv_SE",
                              "de_CH", "he_IL", "fa_IR", "ar_EG", "ps_AF"};
    for (const QString &locale : locales) {
        QTest::addRow("%s 3.6", qPrintable(locale)) << QLocale(locale) << 3.6 << 3.6;
        QTest::addRow("%s 1234.56", qPrintable(locale)) << QLocale(locale) << 1234.56 << 1234.6;
        QTest::addRow("%s -40.04", qPrintable(locale)) << QLocale(locale) << -40.04 << -40.0;
    }
}

void tst_NumberFormat::readsBackWhatItShows()
{
    QFETCH(QLocale, locale);
    QFETCH(double, value);
    QFETCH(double, shown);
    QCOMPARE(readShownNumber(formatOneDecimal(value, locale), locale), shown);
    QCOMPARE(readShownNumber(formatWhole(value, locale), locale), std::round(value));
}

void tst_NumberFormat::rejectsNonNumbers_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << english << "";
    QTest::newRow("word") << english << "calm";
    QTest::newRow("group separator") << english << "1,234.5";
    QTest::newRow("group separator, German") << german << "1.234,5";
    QTest::newRow("point is a group separator in German") << german << "3.6";
    QTest::newRow("two decimal separators") << english << "3.6.1";
    QTest::newRow("two minus signs") << english << "--40";
    QTest::newRow("two minus signs, Hebrew") << hebrew << QStringLiteral("\u200E-\u200E-40");
    QTest::newRow("minus then plus, Hebrew") << hebrew << QStringLiteral("\u200E-+40");
}

void tst_NumberFormat::rejectsNonNumbers()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    try {
        readShownNumber(text, locale);
        QFAIL("a text that is no number was read as one");
    } catch (const AppError &error) {
        QCOMPARE(error.kind(), AppError::Kind::TypeMismatch);
        QCOMPARE(error.description(), QStringLiteral("Type mismatch"));
    }
}

QTEST_GUILESS_MAIN(tst_NumberFormat)
#include "tst_numberformat.moc"
