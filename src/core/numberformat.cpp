// SPDX-License-Identifier: MIT
#include "core/numberformat.h"

#include "core/apperror.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

QLocale withoutGroupSeparators(QLocale locale)
{
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

// Plus and minus signs of every script are maths symbols or dashes.
bool hasSign(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.category() == QChar::Symbol_Math || c.category() == QChar::Punctuation_Dash;
    });
}

} // namespace

QString formatWhole(double value, const QLocale &locale)
{
    return withoutGroupSeparators(locale).toString(value, 'f', 0);
}

QString formatOneDecimal(double value, const QLocale &locale)
{
    return withoutGroupSeparators(locale).toString(value, 'f', 1);
}

QString formatBeaufort(double value, const QLocale &locale)
{
    return withoutGroupSeparators(locale).toString(value, 'f', QLocale::FloatingPointShortest);
}

double readShownNumber(const QString &text, const QLocale &locale)
{
    const QLocale strict = withoutGroupSeparators(locale);
    bool ok = false;
    double value = strict.toDouble(text, &ok);
    // Where the locale's minus sign carries a direction mark (Hebrew, Arabic,
    // Persian), Qt writes it but does not read it back; read the magnitude
    // and apply the sign ourselves so that every negative readout reads back.
    const QString minus = strict.negativeSign();
    if (!ok && text.startsWith(minus)) {
        const QString magnitude = text.mid(minus.size());
        if (!hasSign(magnitude)) {
            value = -strict.toDouble(magnitude, &ok);
        }
    }
    // Qt also reads "nan" and "inf", which no readout or port number shows.
    if (!ok || !std::isfinite(value))
        throw AppError(AppError::Kind::TypeMismatch,
                       AppError::kindName(AppError::Kind::TypeMismatch));
    return value;
}
