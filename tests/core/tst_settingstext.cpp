// SPDX-License-Identifier: MIT
#include "core/apperror.h"
#include "core/settingstext.h"

#include <QTest>

#include <cmath>
#include <limits>

class tst_SettingsText : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void generalNumberText_data();
    void generalNumberText();
    void roundTrip_data();
    void roundTrip();
    void conversions_data();
    void conversions();
    void nonFiniteValuesAreNotWritten();
};

void tst_SettingsText::generalNumberText_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("one") << "en_US" << 1.0 << "1";
    QTest::newRow("half") << "en_US" << 0.5 << "0.5";
    QTest::newRow("359") << "en_US" << 359.0 << "359";
    QTest::newRow("minus half") << "en_US" << -0.5 << "-0.5";
    QTest::newRow("negative zero") << "en_US" << -0.0 << "0";
    QTest::newRow("15 digits") << "en_US" << 123.4567890123456 << "123.456789012346";
    QTest::newRow("rounding carries") << "en_US" << 9.9999999999999999e2 << "1000";
    QTest::newRow("binary noise dropped") << "en_US" << 0.1 + 0.2 << "0.3";
    QTest::newRow("no group separator") << "en_US" << 1234567.0 << "1234567";
    QTest::newRow("large, plain") << "en_US" << 1e20 << "100000000000000000000";
    QTest::newRow("small, plain") << "en_US" << 0.00001 << "0.00001";
    QTest::newRow("too long: exponent") << "en_US" << -1.5e300 << "-1.5E+300";
    QTest::newRow("too short: exponent") << "en_US" << 2e-300 << "2E-300";
    QTest::newRow("German half") << "de_DE" << 0.5 << "0,5";
    QTest::newRow("German thousands") << "de_DE" << 1234.5 << "1234,5";
    QTest::newRow("German exponent") << "de_DE" << 1.25e299 << "1,25E+299";
    QTest::newRow("Swedish minus is ASCII") << "sv_SE" << -0.5 << "-0,5";
    QTest::newRow("Persian point fits the file") << "fa_IR" << 2.5 << "2.5";
}

void tst_SettingsText::generalNumberText()
{
    QFETCH(QString, locale);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QLocale::setDefault(QLocale(locale));
    QCOMPARE(::generalNumberText(value), expected);
}

void tst_SettingsText::roundTrip_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");

    const double values[] = {1.0 / 3,
                             -273.15,
                             359.99999999999997,
                             1e-7,
                             6.02214076e23,
                             std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::denorm_min()};
    for (const char *locale : {"en_US", "de_DE", "sv_SE", "fa_IR"}) {
        for (double value : values)
            QTest::addRow("%s %g", locale, value) << QString::fromLatin1(locale) << value;
    }
}

void tst_SettingsText::roundTrip()
{
    QFETCH(QString, locale);
    QFETCH(double, value);
    QLocale::setDefault(QLocale(locale));
    const QString text = ::generalNumberText(value);
    QVERIFY2(text.size() <= 254, qPrintable(text));
    QCOMPARE(QString::fromLatin1(text.toLatin1()), text);
    double rounded = QString::number(value, 'g', 15).toDouble();
    if (std::isinf(rounded))
        rounded = value;
    // Read back after the desktop's language changed, both ways.
    for (const char *next : {"C", "de_DE"}) {
        QLocale::setDefault(QLocale(QLatin1String(next)));
        QCOMPARE(settingToDouble(text), rounded);
    }
}

namespace {
enum class Target { Double, Boolean, Int16 };
}
Q_DECLARE_METATYPE(Target)

void tst_SettingsText::conversions_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<Target>("target");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    // -1: converts; otherwise the AppError kind expected.
    QTest::addColumn<int>("error");

    const int ok = -1;
    const int mismatch = int(AppError::Kind::TypeMismatch);
    const int overflow = int(AppError::Kind::Overflow);
    const auto row = [](const char *name, const char *locale, Target target, const char *text,
                        double expected, int error) {
        QTest::newRow(name) << QString::fromLatin1(locale) << target << QString::fromLatin1(text)
                            << expected << error;
    };
    row("double", "en_US", Target::Double, "0.5", 0.5, ok);
    row("double, blanks", "en_US", Target::Double, " 270 ", 270, ok);
    row("double, German comma", "de_DE", Target::Double, "1,5", 1.5, ok);
    row("double, written under de_DE, read under C", "C", Target::Double, "326,53", 326.53, ok);
    row("double, written under C, read under de_DE", "de_DE", Target::Double, "326.53", 326.53, ok);
    row("double, a comma is always decimal", "en_US", Target::Double, "1,000", 1, ok);
    row("double, grouped", "en_US", Target::Double, "1,000.5", 0, mismatch);
    row("double, German grouped", "de_DE", Target::Double, "1.000,5", 0, mismatch);
    row("double, French group of a blank", "fr_FR", Target::Double, "1 000", 0, mismatch);
    row("double, exponent as written for extremes", "de_DE", Target::Double, "1,25E+299", 1.25e299,
        ok);
    row("double, empty", "en_US", Target::Double, "", 0, mismatch);
    row("double, word", "en_US", Target::Double, "abc", 0, mismatch);
    row("double, nan", "en_US", Target::Double, "nan", 0, mismatch);
    row("double, inf", "en_US", Target::Double, "inf", 0, mismatch);
    row("double, too large", "en_US", Target::Double, "1e999", 0, overflow);
    row("boolean, True", "en_US", Target::Boolean, "True", 1, ok);
    row("boolean, lower case", "en_US", Target::Boolean, "true", 1, ok);
    row("boolean, FALSE", "en_US", Target::Boolean, "FALSE", 0, ok);
    row("boolean, zero", "en_US", Target::Boolean, "0", 0, ok);
    row("boolean, minus one", "en_US", Target::Boolean, "-1", 1, ok);
    row("boolean, German fraction", "de_DE", Target::Boolean, "0,5", 1, ok);
    row("boolean, yes", "en_US", Target::Boolean, "yes", 0, mismatch);
    row("boolean, empty", "en_US", Target::Boolean, "", 0, mismatch);
    row("int, plain", "en_US", Target::Int16, "3", 3, ok);
    row("int, 2.5 to even", "en_US", Target::Int16, "2.5", 2, ok);
    row("int, 3.5 to even", "en_US", Target::Int16, "3.5", 4, ok);
    row("int, -2.5 to even", "en_US", Target::Int16, "-2.5", -2, ok);
    row("int, German 2,5", "de_DE", Target::Int16, "2,5", 2, ok);
    row("int, German 3,5 under C", "C", Target::Int16, "3,5", 4, ok);
    row("int, top", "en_US", Target::Int16, "32767", 32767, ok);
    row("int, bottom", "en_US", Target::Int16, "-32768.5", -32768, ok);
    row("int, 32768", "en_US", Target::Int16, "32768", 0, overflow);
    row("int, rounds past top", "en_US", Target::Int16, "32767.5", 0, overflow);
    row("int, -32769", "en_US", Target::Int16, "-32769", 0, overflow);
    row("int, word", "en_US", Target::Int16, "COM1", 0, mismatch);
}

void tst_SettingsText::conversions()
{
    QFETCH(QString, locale);
    QFETCH(Target, target);
    QFETCH(QString, text);
    QFETCH(double, expected);
    QFETCH(int, error);
    QLocale::setDefault(QLocale(locale));
    try {
        double value = 0;
        switch (target) {
        case Target::Double:
            value = settingToDouble(text);
            break;
        case Target::Boolean:
            value = settingToBoolean(text) ? 1 : 0;
            break;
        case Target::Int16:
            value = settingToInt16(text);
            break;
        }
        QCOMPARE(error, -1);
        QCOMPARE(value, expected);
    } catch (const AppError &raised) {
        QCOMPARE(int(raised.kind()), error);
        QCOMPARE(raised.description(), AppError::kindName(raised.kind()));
    }
}

void tst_SettingsText::nonFiniteValuesAreNotWritten()
{
    QVERIFY_THROWS_EXCEPTION(AppError,
                             ::generalNumberText(std::numeric_limits<double>::infinity()));
    QVERIFY_THROWS_EXCEPTION(AppError,
                             ::generalNumberText(std::numeric_limits<double>::quiet_NaN()));
}

QTEST_APPLESS_MAIN(tst_SettingsText)
#include "tst_settingstext.moc"
