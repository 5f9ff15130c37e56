// SPDX-License-Identifier: MIT
#include "logreader.h"

#include "loginput.h"

LogReader::LogReader(const QStringList &inputs)
{
    bool standardInputTaken = false;
    for (const QString &path : inputs) {
        const bool isStandardInput = path == QLatin1String("-");
        // Standard input is one file: a second "-" would find it read.
        if (isStandardInput && std::exchange(standardInputTaken, true))
            continue;
        auto input = std::make_unique<LogInput>(
            path, isStandardInput ? QStringLiteral("standard input") : path);
        if (input->open() && input->advance()) {
            m_nextRows.push({input->row().timeMs, m_inputs.size()});
            input->park();
        }
        m_inputs.push_back(std::move(input));
    }
}

LogReader::~LogReader() = default;

std::optional<WindSample> LogReader::next()
{
    if (m_nextRows.empty())
        return std::nullopt;
    const std::size_t index = m_nextRows.top().second;
    m_nextRows.pop();
    LogInput &input = *m_inputs[index];
    const WindSample row = input.row();
    if (input.advance())
        m_nextRows.push({input.row().timeMs, index});
    return row;
}

bool LogReader::allRead() const
{
    for (const auto &input : m_inputs) {
        if (input->failed())
            return false;
    }
    return true;
}

qint64 LogReader::malformedRows() const
{
    qint64 count = 0;
    for (const auto &input : m_inputs)
        count += input->malformedRows();
    return count;
}

QStringList LogReader::problems() const
{
    QStringList problems;
    for (const auto &input : m_inputs) {
        for (const QString &problem : input->problems()) {
            if (problems.size() == LogInput::reportedProblems)
                return problems;
            problems.append(problem);
        }
    }
    return problems;
}
