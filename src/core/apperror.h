// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <exception>

// The one error type of the application. A failure travels up as an AppError
// until the listening loop (once per pass) or the top-level handler shows it.
class AppError : public std::exception
{
public:
    enum class Kind {
        TypeMismatch,
        Overflow,
        DivisionByZero,
        InvalidFloatOperation,
        InvalidArgument,
        SubscriptOutOfRange,
        FileError,
        SerialError,
        NetworkError,
    };

    AppError(Kind kind, QString description);

    Kind kind() const { return m_kind; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }

    // The kind in words: "Type mismatch", "Overflow", ...
    static QString kindName(Kind kind);

private:
    Kind m_kind;
    QString m_description;
    QByteArray m_what;
};

// Raises the floating-point error that fits a computed value that is not
// finite: "Overflow" for an infinity, "Invalid floating-point operation" for
// a NaN. Finite values pass unchanged.
double checkedFloat(double value);
