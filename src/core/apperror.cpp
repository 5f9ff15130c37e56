// SPDX-License-Identifier: MIT
#include "core/apperror.h"

#include <cmath>

AppError::AppError(Kind kind, QString description)
    : m_kind(kind)
    , m_description(std::move(description))
    , m_what(m_description.toUtf8())
{ }

QString AppError::kindName(Kind kind)
{
    switch (kind) {
    case Kind::TypeMismatch:
        return QStringLiteral("Type mismatch");
    case Kind::Overflow:
        return QStringLiteral("Overflow");
    case Kind::DivisionByZero:
        return QStringLiteral("Division by zero");
    case Kind::InvalidFloatOperation:
        return QStringLiteral("Invalid floating-point operation");
    case Kind::InvalidArgument:
        return QStringLiteral("Invalid procedure call or argument");
    case Kind::SubscriptOutOfRange:
        return QStringLiteral("Subscript out of range");
    case Kind::FileError:
        return QStringLiteral("File error");
    case Kind::SerialError:
        return QStringLiteral("Serial port error");
    case Kind::NetworkError:
        return QStringLiteral("Network error");
    }
    return {};
}

double checkedFloat(double value)
{
    if (std::isnan(value))
        throw AppError(AppError::Kind::InvalidFloatOperation,
                       AppError::kindName(AppError::Kind::InvalidFloatOperation));
    if (std::isinf(value))
        throw AppError(AppError::Kind::Overflow, AppError::kindName(AppError::Kind::Overflow));
    return value;
}
