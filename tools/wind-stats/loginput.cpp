// SPDX-License-Identifier: MIT
#include "loginput.h"

#include "core/logcategories.h"
#include "core/windlogrow.h"

#include <cstdio>
#include <cstring>
#include <utility>

LogInput::LogInput(const QString &path, const QString &name)
    : m_path(path)
    , m_name(name)
{ }

bool LogInput::open()
{
    // Unbuffered: lines are cut from this class's own buffer, and a second
    // one in QFile would only copy every byte once more.
    const QIODevice::OpenMode mode = QIODevice::ReadOnly | QIODevice::Unbuffered;
    bool opened = false;
    if (m_path == QLatin1String("-")) {
        opened = m_file.open(stdin, mode);
    } else {
        m_file.setFileName(m_path);
        opened = m_file.open(mode);
    }
    if (!opened) {
        fail();
        return false;
    }
    m_buffer = std::make_unique<char[]>(bufferSize);
    return true;
}

bool LogInput::advance()
{
    if (m_finished || (m_parked && !reopen()))
        return false;
    const QByteArrayView header(windLogHeader);
    bool hasLineEnd = false;
    while (const std::optional<QByteArrayView> next = nextLine(&hasLineEnd)) {
        QByteArrayView line = *next;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line == header)
            continue;
        if (!hasLineEnd) {
            // The writer ends every row it completes.
            countMalformed(QStringLiteral("no line end: a torn row"));
            continue;
        }
        QString problem;
        const std::optional<WindLogRow> row = parseWindLogRow(line, &problem);
        if (!row) {
            countMalformed(problem);
            continue;
        }
        if (m_hasRow && row->utcMs < m_row.timeMs) {
            countMalformed(QStringLiteral("out of time order: earlier than a row above it"));
            continue;
        }
        m_row = {row->utcMs, row->directionDegrees, row->speedMetresPerSecond};
        m_hasRow = true;
        return true;
    }
    finish();
    return false;
}

void LogInput::park()
{
    if (m_finished || m_path == QLatin1String("-") || m_file.isSequential())
        return;
    m_parkedAt = m_bytesRead - (m_end - m_begin);
    m_file.close();
    m_buffer.reset();
    m_begin = m_end = 0;
    m_parked = true;
}

bool LogInput::reopen()
{
    m_parked = false;
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || !m_file.seek(m_parkedAt)) {
        fail();
        return false;
    }
    m_buffer = std::make_unique<char[]>(bufferSize);
    m_bytesRead = m_parkedAt;
    m_atEnd = false;
    return true;
}

std::optional<QByteArrayView> LogInput::nextLine(bool *hasLineEnd)
{
    while (true) {
        const char *from = m_buffer.get() + m_begin;
        const qsizetype unread = m_end - m_begin;
        const auto *newline = static_cast<const char *>(std::memchr(from, '\n', size_t(unread)));
        if (newline) {
            m_begin += newline - from + 1;
            if (std::exchange(m_skippingLine, false))
                continue;
            ++m_lineNumber;
            // Whether or not its end came within one buffer.
            if (newline - from > longestLine) {
                countTooLong();
                continue;
            }
            *hasLineEnd = true;
            return QByteArrayView(from, newline - from);
        }
        if (m_skippingLine) {
            m_begin = m_end;
        } else if (unread > longestLine) {
            ++m_lineNumber;
            countTooLong();
            m_skippingLine = true;
            m_begin = m_end;
        }
        if (!fill()) {
            // The rest of the input: a last line without a line end.
            if (m_failed || m_skippingLine || m_begin == m_end)
                return std::nullopt;
            from = m_buffer.get() + m_begin;
            const qsizetype length = m_end - m_begin;
            m_begin = m_end;
            ++m_lineNumber;
            *hasLineEnd = false;
            return QByteArrayView(from, length);
        }
    }
}

bool LogInput::fill()
{
    if (m_atEnd)
        return false;
    const qsizetype unread = m_end - m_begin;
    std::memmove(m_buffer.get(), m_buffer.get() + m_begin, size_t(unread));
    m_begin = 0;
    m_end = unread;
    const qint64 count = m_file.read(m_buffer.get() + m_end, bufferSize - m_end);
    if (count < 0) {
        fail();
        return false;
    }
    if (count == 0) {
        m_atEnd = true;
        return false;
    }
    m_end += count;
    m_bytesRead += count;
    return true;
}

void LogInput::fail()
{
    qCWarning(windLog, "cannot read %s: %s", qPrintable(m_name), qPrintable(m_file.errorString()));
    m_failed = true;
    finish();
}

void LogInput::finish()
{
    m_finished = true;
    m_file.close();
    m_buffer.reset();
    m_begin = m_end = 0;
}

void LogInput::countTooLong()
{
    countMalformed(QStringLiteral("longer than %1 bytes").arg(longestLine));
}

void LogInput::countMalformed(const QString &problem)
{
    ++m_malformedRows;
    if (m_problems.size() < reportedProblems)
        m_problems.append(QStringLiteral("%1:%2: %3").arg(m_name).arg(m_lineNumber).arg(problem));
}
