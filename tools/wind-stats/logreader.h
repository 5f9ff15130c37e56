#pragma once

#include "core/windsample.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// Gathers the samples of data log files, counting the rows that are not
// complete rows instead of stopping at them.
class LogReader
{
public:
    static constexpr int reportedProblems = 5;

    // Reads the whole text of one file (or of standard input), named as the
    // user named it. The header line and blank lines are no rows. A last line
    // without a line end is torn: the writer ends every row it completes.
    void read(const QByteArray &text, const QString &name);

    std::vector<WindSample> &samples() { return m_samples; }
    qint64 malformedRows() const { return m_malformedRows; }
    // "name:line: what is wrong" for the first few malformed rows.
    const QStringList &problems() const { return m_problems; }

private:
    void countMalformed(const QString &name, qint64 line, const QString &problem);

    std::vector<WindSample> m_samples;
    qint64 m_malformedRows = 0;
    QStringList m_problems;
};
