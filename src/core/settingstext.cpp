// SPDX-License-Identifier: MIT
#include "core/settingstext.h"

#include "core/apperror.h"
#include "core/inifile.h"

#include <QRegularExpression>

#include <cmath>
#include <cstdlib>

namespace {

[[noreturn]] void raise(AppError::Kind kind)
{
    throw AppError(kind, AppError::kindName(kind));
}

// The settings file is 8-bit text. A few locales (Persian, Arabic) separate
// decimals with a character it cannot hold; those numbers are stored with a
// point, and read back the same way.
QString storedDecimalPoint(const QLocale &locale)
{
    const QString point = locale.decimalPoint();
    if (point.size() == 1 && point.at(0).unicode() < 0x100)
        return point;
    return QStringLiteral(".");
}

// A settings file outlives the desktop language it was written under: closed
// under de_DE it holds "326,53", and the next start may be under C. So a
// number reads with a point or a comma as its one decimal separator in any
// locale; group separators are refused, since "1,500" and "1.500" could not
// be told apart from decimals.
double parseNumber(const QString &text)
{
    static const QRegularExpression plainNumber(
        QStringLiteral("^[+-]?([0-9]+([.,][0-9]*)?|[.,][0-9]+)([eE][+-]?[0-9]+)?$"));
    QString number = text.trimmed();
    if (!plainNumber.match(number).hasMatch())
        raise(AppError::Kind::TypeMismatch);
    number.replace(u',', u'.');

    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    if (ok && std::isfinite(value))
        return value;
    // Qt reports a number too large for a double as a failed infinity.
    if (std::isinf(value))
        raise(AppError::Kind::Overflow);
    raise(AppError::Kind::TypeMismatch);
}

} // namespace

QString generalNumberText(double value, const QLocale &locale)
{
    checkedFloat(value);

    // Qt's own formatting, independent of the C library's locale, already
    // rounded to 15 significant digits: "-1.23456789012346e+02".
    QString scientific = QString::number(value, 'e', 14);
    // Next to the largest double, rounding to 15 digits goes past it and the
    // text would no longer read back; 17 digits always do.
    if (std::isinf(scientific.toDouble()))
        scientific = QString::number(value, 'e', 16);
    const bool negative = scientific.startsWith(u'-');
    const qsizetype e = scientific.indexOf(u'e');
    QString digits = scientific.mid(negative ? 1 : 0, e - (negative ? 1 : 0)).remove(u'.');
    const int exponent = scientific.mid(e + 1).toInt();
    while (digits.size() > 1 && digits.endsWith(u'0'))
        digits.chop(1);
    if (digits == u"0")
        return QStringLiteral("0");

    // The minus is always ASCII: Qt reads it under every locale, while some
    // locales' own sign (U+2212) does not fit the file.
    const QString sign = negative ? QStringLiteral("-") : QString();
    const QString point = storedDecimalPoint(locale);
    QString integral;
    QString fraction;
    if (exponent >= 0) {
        integral = digits.left(exponent + 1).leftJustified(exponent + 1, u'0');
        fraction = digits.mid(exponent + 1);
    } else {
        integral = QStringLiteral("0");
        fraction = QString(-exponent - 1, u'0') + digits;
    }
    const QString plain = sign + integral + (fraction.isEmpty() ? QString() : point + fraction);
    if (plain.size() <= IniMaxValueLength)
        return plain;

    // Plain decimals of very large or very small values would be cut when
    // read back; the exponent form keeps them readable.
    return sign + digits.left(1) + (digits.size() > 1 ? point + digits.mid(1) : QString())
        + (exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+"))
        + QString::number(std::abs(exponent));
}

bool settingToBoolean(const QString &text)
{
    const QString word = text.trimmed();
    if (word.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    return parseNumber(word) != 0;
}

double settingToDouble(const QString &text)
{
    return parseNumber(text);
}

qint16 settingToInt16(const QString &text)
{
    // The default rounding mode rounds halves to the even neighbour.
    const double rounded = std::nearbyint(parseNumber(text));
    if (rounded < -32768 || rounded > 32767)
        raise(AppError::Kind::Overflow);
    return static_cast<qint16>(rounded);
}

std::optional<int> plainWholeNumber(QStringView text, int lowest, int highest)
{
    if (text.isEmpty() || text.size() > 9)
        return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value < lowest || value > highest)
        return std::nullopt;
    return value;
}

std::optional<double> plainDecimal(QStringView text)
{
    static const QRegularExpression number(
        QStringLiteral("^[+-]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    if (!number.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<bool> plainSwitch(QStringView text)
{
    if (text.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}
