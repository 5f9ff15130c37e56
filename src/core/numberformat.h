// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QLocale;

// Numbers on screen are written and read back with the user's locale, so a
// readout that is read back yields exactly the rounded value it shows. Every
// format here omits group separators: reading back rejects them, and a
// readout of several thousands must still read back.

// Format "0": the nearest whole number, with a minus sign when negative.
QString formatWhole(double value, const QLocale &locale);

// Formats "0.0" and "##0.0": rounded to one decimal, at least one integer
// digit. The optional digits of "##0.0" never change the text, so both share
// this function.
QString formatOneDecimal(double value, const QLocale &locale);

// The Beaufort value in its shortest decimal form: 0.1 -> "0.1", 5.0 -> "5",
// 12.0 -> "12".
QString formatBeaufort(double value, const QLocale &locale);

// Reads a number shown on screen. Throws AppError (TypeMismatch) when the text
// is not a number in the locale, including text with group separators.
double readShownNumber(const QString &text, const QLocale &locale);
