// SPDX-License-Identifier: MIT
#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

#include <optional>

// Conversions between setting texts and values.

// Rounded to 15 significant digits, plain decimal, no trailing zeros, no
// group separators, the locale's decimal separator: 1 -> "1", 0.5 -> "0.5".
// Values whose plain form would not fit a settings value (254 characters)
// use the exponent form ("1.5E+300"). The text always fits the settings
// file's 8-bit characters. Throws AppError (Overflow or
// InvalidFloatOperation) for a value that is not finite.
QString generalNumberText(double value, const QLocale &locale = QLocale());

// A whole number written in plain digits (at most nine, no sign, no point,
// whatever the locale) from lowest to highest, or nothing: for the keys
// that take counts and port numbers, where a sign or a point would leave the
// reader guessing.
std::optional<int> plainWholeNumber(QStringView text, int lowest, int highest);

// A finite number written with a point, whatever the locale: an optional
// sign, digits with an optional fraction, an optional exponent ("-10.5",
// "1e-05"); nothing otherwise. What QString::number() writes reads back
// exactly.
std::optional<double> plainDecimal(QStringView text);

// True or False, in any letter case, or nothing: the switches of the
// sections the application only reads.
std::optional<bool> plainSwitch(QStringView text);

// Numbers read the same in every locale: digits with a point or a comma as
// the one decimal separator, no group separators, an optional sign and
// exponent, blanks around them ignored. So what generalNumberText() wrote
// under any locale reads back under any other.
//
// Each throws AppError: TypeMismatch when the text is not of the type,
// Overflow when a number is out of the type's range.
bool settingToBoolean(const QString &text);
double settingToDouble(const QString &text);
qint16 settingToInt16(const QString &text);
