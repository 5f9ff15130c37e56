// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>

#include <utility>

// The settings file's format, worked on its bytes (8-bit text). Sections are
// lines "[name]", entries lines "key=value", comments lines starting with ';'.
// Section and key names match without regard to letter case; blanks around
// names and values do not count; LF-only line ends read as well as CR LF.
// Lines the writer does not touch keep every byte; lines it writes end the
// way the file's first line ends (CR LF for a file that has no line end yet).

// The longest value the reader hands back; longer values are cut.
constexpr int IniMaxValueLength = 254;

// The value of the first entry of key in the first section named section,
// cut to IniMaxValueLength characters; empty when there is none.
QByteArray iniReadValue(const QByteArray &file, const QByteArray &section, const QByteArray &key);

// Every entry of the first section named section, in the file's order, keys
// as spelt there and values whole, so that a reader can refuse a value
// longer than IniMaxValueLength rather than use part of it; empty when there
// is no such section. For the sections that are only read.
QList<std::pair<QByteArray, QByteArray>> iniSectionEntries(const QByteArray &file,
                                                           const QByteArray &section);

// The file with key set to value: the entry is replaced in place in the first
// section of that name; a missing key is added after the last entry of that
// section, a missing section at the end of the file. Throws AppError
// (InvalidArgument) when a name or the value holds a line break, or the key
// an '=', since such an entry could not be read back.
QByteArray iniWriteValue(const QByteArray &file, const QByteArray &section, const QByteArray &key,
                         const QByteArray &value);

// The file with line added as its new last line. A last line without a line
// end gets one first.
QByteArray iniAppendLine(const QByteArray &file, const QByteArray &line);
