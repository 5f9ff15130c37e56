#include "logreader.h"

#include "core/windlogrow.h"

void LogReader::read(const QByteArray &text, const QString &name)
{
    const QByteArrayView header(windLogHeader);
    qsizetype from = 0;
    qint64 lineNumber = 0;
    while (from < text.size()) {
        ++lineNumber;
        const qsizetype newline = text.indexOf('\n', from);
        const qsizetype end = newline < 0 ? text.size() : newline;
        QByteArrayView line(text.constData() + from, end - from);
        from = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line == header)
            continue;
        if (newline < 0) {
            countMalformed(name, lineNumber, QStringLiteral("no line end: a torn row"));
            continue;
        }
        QString problem;
        const std::optional<WindLogRow> row = parseWindLogRow(line, &problem);
        if (!row) {
            countMalformed(name, lineNumber, problem);
            continue;
        }
        m_samples.push_back({row->utcMs, row->directionDegrees, row->speedMetresPerSecond});
    }
}

void LogReader::countMalformed(const QString &name, qint64 line, const QString &problem)
{
    ++m_malformedRows;
    if (m_problems.size() < reportedProblems)
        m_problems.append(QStringLiteral("%1:%2: %3").arg(name).arg(line).arg(problem));
}
