// SPDX-License-Identifier: MIT
#pragma once

#include "core/windrose.h"

#include <QByteArray>
#include <QString>

// The wind rose of today's data log file, read as the file grows: each look
// reads only what was appended since the last one. A new UTC day, or a file
// that shrank or went away, starts the rose afresh. Rows that do not read
// are left out, as wind-stats leaves them out.
class DayLogRose
{
public:
    // Reads the day file of nowUtcMs in folder as far as it goes now.
    void update(const QString &folder, qint64 nowUtcMs);
    const WindRose &rose() const { return m_rose; }

private:
    void restart(const QString &path);
    void take(QByteArrayView line);

    QString m_path;
    qint64 m_offset = 0;
    // The start of a row whose line end has not been written yet.
    QByteArray m_unfinished;
    WindRose m_rose;
};
