// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

class SettingsFile;

// Checks a section of the settings file whose keys are fixed, before its
// values are read. A key mistyped (TcpPrt=10110) or left without a value
// (TcpPort=) would otherwise read as a key that is simply absent, and the
// feature it was meant to switch on would stay off without a word.
//
// Call it first in the reader of such a section:
//
//     checkSectionKeys(file, QStringLiteral("LOG"), {QStringLiteral("Folder"),
//                                                    QStringLiteral("KeepDays")});
//
// Looks at the first section of that name, as the reader does; keys match
// without regard to letter case. Throws AppError (InvalidArgument) for the
// first entry whose key is not one of keys, naming that key as the file
// spells it, its value, the section, the keys it may hold and the file; or for the
// first entry of one of keys whose value is empty, naming the key, the empty
// value and the file. The description is meant for the user; the caller may
// add what stays off. Nothing happens when the section is missing. Throws
// AppError (FileError) when the file exists but cannot be read.
//
// Not for a section whose keys are open-ended, such as [PORTS] (COM1, COM2,
// ...).
void checkSectionKeys(const SettingsFile &file, const QString &section, const QStringList &keys);

// The error of a value that a read-only section cannot use: "[NMEA] ..."
// with the description, or "[NMEA] TcpPort=abc: expected ..." with the key,
// the value (only its start when it is long) and what was expected. The
// caller adds the file. Both throw AppError (InvalidArgument).
[[noreturn]] void raiseSectionError(const QString &section, const QString &description);
[[noreturn]] void raiseBadSectionValue(const QString &section, const QString &key,
                                       const QString &value, const QString &expected);
