// SPDX-License-Identifier: MIT
#include "core/dayfiles.h"

#include "core/utctime.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

QString dayFileName(const QString &prefix, qint64 utcDay)
{
    const QDate date = utcDate(utcDay * utcDayMs);
    return QStringLiteral("%1-%2.csv").arg(prefix, date.toString(QStringLiteral("yyyy-MM-dd")));
}

std::optional<qint64> utcDayOfDayFile(const QString &prefix, const QString &name)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(.+)-(\\d{4})-(\\d{2})-(\\d{2})\\.csv$"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch() || match.capturedView(1) != prefix)
        return std::nullopt;
    const QDate date(match.capturedView(2).toInt(), match.capturedView(3).toInt(),
                     match.capturedView(4).toInt());
    if (!date.isValid())
        return std::nullopt;
    return utcDayNumberOf(date);
}

std::optional<DayFileRefusal> removeDayFilesBefore(const QString &folder, const QString &prefix,
                                                   qint64 oldestKeptDay)
{
    const QDir dir(folder);
    const QStringList names
        = dir.entryList({prefix + QStringLiteral("-*.csv")}, QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        const std::optional<qint64> day = utcDayOfDayFile(prefix, name);
        if (!day || *day >= oldestKeptDay)
            continue;
        QFile file(dir.filePath(name));
        if (!file.remove())
            return DayFileRefusal{QDir::toNativeSeparators(file.fileName()), file.errorString()};
    }
    return std::nullopt;
}

std::optional<char> lastByteOfFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0 || !file.seek(file.size() - 1))
        return std::nullopt;
    char byte = 0;
    if (file.read(&byte, 1) != 1)
        return std::nullopt;
    return byte;
}
