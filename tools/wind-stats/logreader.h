// SPDX-License-Identifier: MIT
#pragma once

#include "core/windsample.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <queue>
#include <utility>
#include <vector>

class LogInput;

// Hands out the rows of data log files in time order, one at a time, counting
// the rows that are not complete rows instead of stopping at them.
//
// Memory does not grow with the inputs' length: each file is read line by
// line through a buffer of fixed size, and the files are merged by their
// next rows, so at most one row of each file is held. A file is opened only
// for its first row and then once the merge reaches that row, so day files
// are open one or two at a time however many are given.
class LogReader
{
public:
    // Reads the first row of each input, "-" being standard input; an input
    // that cannot be read is reported then, and the others are still used.
    explicit LogReader(const QStringList &inputs);
    ~LogReader();

    // The next row of all inputs in time order; rows of one millisecond come
    // in the order of their inputs. Nothing after the last.
    std::optional<WindSample> next();

    // False once an input could not be opened or read to its end.
    bool allRead() const;
    qint64 malformedRows() const;
    // "name:line: what is wrong" for the first few malformed rows, in the
    // order of the inputs and their lines.
    QStringList problems() const;

private:
    // The time of an input's next row and the input's place in the list.
    using NextRow = std::pair<qint64, std::size_t>;

    std::vector<std::unique_ptr<LogInput>> m_inputs;
    std::priority_queue<NextRow, std::vector<NextRow>, std::greater<>> m_nextRows;
};
