// SPDX-License-Identifier: MIT
#pragma once

#include "core/windsample.h"

#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// One data log file, or standard input, read a row at a time through a
// buffer of fixed size. Lines that are not complete rows are counted as
// malformed and skipped; so is a row earlier than a row above it, since the
// inputs are merged by time a row at a time and cannot go back.
class LogInput
{
public:
    static constexpr int reportedProblems = 5;
    // Far longer than any row the log writes; a longer line is malformed.
    static constexpr qsizetype longestLine = 4096;
    static constexpr qsizetype bufferSize = 16 * 1024;

    // A path of "-" is standard input. The name is what messages call it.
    LogInput(const QString &path, const QString &name);

    // Reports the reason and gives false when the input cannot be opened.
    bool open();

    // Moves to the next row; false at the end of the input, or when it
    // cannot be read further (then reported, and the rows so far are kept).
    bool advance();
    const WindSample &row() const { return m_row; }

    // Closes a file that can be opened again at the same place, so that files
    // waiting for their turn in the merge hold no descriptor and no buffer.
    // Standard input and pipes stay open. The next advance() reopens it.
    void park();

    bool failed() const { return m_failed; }
    qint64 malformedRows() const { return m_malformedRows; }
    // The first few, as "name:line: what is wrong".
    const QStringList &problems() const { return m_problems; }

private:
    std::optional<QByteArrayView> nextLine(bool *hasLineEnd);
    bool fill();
    bool reopen();
    void fail();
    void finish();
    void countTooLong();
    void countMalformed(const QString &problem);

    QString m_path;
    QString m_name;
    QFile m_file;
    std::unique_ptr<char[]> m_buffer;
    // The unread part of the buffer.
    qsizetype m_begin = 0;
    qsizetype m_end = 0;
    qint64 m_bytesRead = 0;
    bool m_atEnd = false;
    // Inside a line too long to be a row, dropping it up to its line end.
    bool m_skippingLine = false;
    bool m_parked = false;
    qint64 m_parkedAt = 0;
    bool m_finished = false;
    bool m_failed = false;

    qint64 m_lineNumber = 0;
    WindSample m_row;
    bool m_hasRow = false;
    qint64 m_malformedRows = 0;
    QStringList m_problems;
};
