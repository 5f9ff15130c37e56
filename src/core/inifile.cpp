// SPDX-License-Identifier: MIT
#include "core/inifile.h"

#include "core/apperror.h"

#include <QList>
#include <QString>

namespace {

enum class LineKind { Blank, Comment, Section, Entry, Other };

struct Line
{
    qsizetype begin = 0;
    qsizetype end = 0; // past the line end, if the line has one
    LineKind kind = LineKind::Blank;
    QByteArray name; // the section's name or the entry's key
    QByteArray value;
};

const QByteArray crlf = QByteArrayLiteral("\r\n");

void classify(Line &line, QByteArray text)
{
    // A hand-edited file may start with the mark some editors put there.
    if (line.begin == 0 && text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    text = text.trimmed();
    if (text.isEmpty())
        return;
    if (text.startsWith(';')) {
        line.kind = LineKind::Comment;
        return;
    }
    const qsizetype close = text.lastIndexOf(']');
    if (text.startsWith('[') && close > 0) {
        line.kind = LineKind::Section;
        line.name = text.mid(1, close - 1).trimmed();
        return;
    }
    const qsizetype equals = text.indexOf('=');
    if (equals < 0) {
        line.kind = LineKind::Other;
        return;
    }
    line.kind = LineKind::Entry;
    line.name = text.left(equals).trimmed();
    line.value = text.mid(equals + 1).trimmed();
}

QList<Line> splitLines(const QByteArray &file)
{
    QList<Line> lines;
    qsizetype pos = 0;
    while (pos < file.size()) {
        Line line;
        line.begin = pos;
        const qsizetype newline = file.indexOf('\n', pos);
        line.end = newline >= 0 ? newline + 1 : file.size();
        classify(line, file.mid(pos, line.end - pos));
        lines.append(line);
        pos = line.end;
    }
    return lines;
}

bool namesMatch(const QByteArray &a, const QByteArray &b)
{
    return QString::fromLatin1(a).compare(QString::fromLatin1(b), Qt::CaseInsensitive) == 0;
}

// The first header of that name and the end of its section (the next header
// or the end of the file); header is -1 when there is none.
struct SectionSpan
{
    qsizetype header = -1;
    qsizetype end = 0;
};

SectionSpan findSection(const QList<Line> &lines, const QByteArray &section)
{
    SectionSpan span;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != LineKind::Section)
            continue;
        if (span.header >= 0) {
            span.end = i;
            return span;
        }
        if (namesMatch(lines[i].name, section))
            span.header = i;
    }
    span.end = lines.size();
    return span;
}

qsizetype findEntry(const QList<Line> &lines, const SectionSpan &span, const QByteArray &key)
{
    for (qsizetype i = span.header + 1; i < span.end; ++i) {
        if (lines[i].kind == LineKind::Entry && namesMatch(lines[i].name, key))
            return i;
    }
    return -1;
}

// The line end the file already uses, taken from its first line, so that a
// file edited on Linux keeps LF throughout; CR LF for a file without one yet.
QByteArray lineEndOf(const QByteArray &file)
{
    const qsizetype newline = file.indexOf('\n');
    if (newline < 0 || (newline > 0 && file.at(newline - 1) == '\r'))
        return crlf;
    return QByteArrayLiteral("\n");
}

// What must follow the first `length` bytes of file so that a new line can
// start there: nothing after a line end, LF after a lone CR, else the file's
// own line end.
QByteArray lineEndBefore(const QByteArray &file, qsizetype length)
{
    if (length == 0 || file.at(length - 1) == '\n')
        return {};
    return file.at(length - 1) == '\r' ? QByteArrayLiteral("\n") : lineEndOf(file);
}

void requireSingleLine(const QByteArray &text)
{
    if (text.contains('\r') || text.contains('\n'))
        throw AppError(AppError::Kind::InvalidArgument,
                       QStringLiteral("A settings entry cannot hold a line break"));
}

} // namespace

QByteArray iniReadValue(const QByteArray &file, const QByteArray &section, const QByteArray &key)
{
    const QList<Line> lines = splitLines(file);
    const SectionSpan span = findSection(lines, section);
    if (span.header < 0)
        return {};
    const qsizetype entry = findEntry(lines, span, key);
    return entry < 0 ? QByteArray() : lines[entry].value.left(IniMaxValueLength);
}

QList<std::pair<QByteArray, QByteArray>> iniSectionEntries(const QByteArray &file,
                                                           const QByteArray &section)
{
    const QList<Line> lines = splitLines(file);
    const SectionSpan span = findSection(lines, section);
    QList<std::pair<QByteArray, QByteArray>> entries;
    for (qsizetype i = span.header + 1; span.header >= 0 && i < span.end; ++i) {
        if (lines[i].kind == LineKind::Entry)
            entries.append({lines[i].name, lines[i].value});
    }
    return entries;
}

QByteArray iniWriteValue(const QByteArray &file, const QByteArray &section, const QByteArray &key,
                         const QByteArray &value)
{
    requireSingleLine(section);
    requireSingleLine(key);
    requireSingleLine(value);
    if (key.contains('='))
        throw AppError(AppError::Kind::InvalidArgument,
                       QStringLiteral("A settings key cannot hold '='"));

    const QByteArray lineEnd = lineEndOf(file);
    const QList<Line> lines = splitLines(file);
    const SectionSpan span = findSection(lines, section);
    if (span.header < 0)
        return file + lineEndBefore(file, file.size()) + '[' + section + ']' + lineEnd + key + '='
            + value + lineEnd;

    const qsizetype entry = findEntry(lines, span, key);
    if (entry >= 0) {
        // The key keeps the spelling it has in the file.
        const Line &line = lines[entry];
        QByteArray result = file;
        result.replace(line.begin, line.end - line.begin, line.name + '=' + value + lineEnd);
        return result;
    }

    // After the section's last entry, so that blank lines and comments that
    // close the section stay in front of the next header.
    qsizetype last = span.header;
    for (qsizetype i = span.header + 1; i < span.end; ++i) {
        if (lines[i].kind == LineKind::Entry || lines[i].kind == LineKind::Other)
            last = i;
    }
    const qsizetype at = lines[last].end;
    QByteArray result = file;
    result.insert(at, lineEndBefore(file, at) + key + '=' + value + lineEnd);
    return result;
}

QByteArray iniAppendLine(const QByteArray &file, const QByteArray &line)
{
    requireSingleLine(line);
    return file + lineEndBefore(file, file.size()) + line + lineEndOf(file);
}
