// SPDX-License-Identifier: MIT
#include "core/daylogrose.h"

#include "core/apperror.h"
#include "core/utctime.h"
#include "core/windlogrow.h"
#include "core/windlogwriter.h"

#include <QDir>
#include <QFile>

void DayLogRose::update(const QString &folder, qint64 nowUtcMs)
{
    const QString path
        = QDir(folder).filePath(WindLogWriter::fileNameForDay(utcDayNumber(nowUtcMs)));
    QFile file(path);
    if (path != m_path || !file.exists() || file.size() < m_offset)
        restart(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(m_offset))
        return;
    const QByteArray appended = file.readAll();
    m_offset += appended.size();
    m_unfinished += appended;
    qsizetype start = 0;
    for (qsizetype end = m_unfinished.indexOf('\n'); end >= 0;
         end = m_unfinished.indexOf('\n', start)) {
        take(QByteArrayView(m_unfinished).sliced(start, end - start));
        start = end + 1;
    }
    m_unfinished.remove(0, start);
}

void DayLogRose::restart(const QString &path)
{
    m_path = path;
    m_offset = 0;
    m_unfinished.clear();
    m_rose.clear();
}

void DayLogRose::take(QByteArrayView line)
{
    const std::optional<WindLogRow> row = parseWindLogRow(line);
    if (!row)
        return;
    try {
        m_rose.add(row->directionDegrees, row->speedMetresPerSecond);
    } catch (const AppError &) {
        // A row that reads holds finite numbers; nothing else to do.
    }
}
