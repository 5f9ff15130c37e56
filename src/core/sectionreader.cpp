// SPDX-License-Identifier: MIT
#include "core/sectionreader.h"

#include "core/inifile.h"
#include "core/settingsfile.h"

#include <QDir>

#include <algorithm>

namespace {

bool sameKey(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A settings value may be long; a message box needs only its start.
QString shown(const QString &value)
{
    constexpr int MaxShown = 60;
    return value.size() > MaxShown ? value.left(MaxShown) + QStringLiteral("...") : value;
}

} // namespace

SectionReader::SectionReader(const SettingsFile &file, QString section, QList<Part> parts,
                             std::optional<int> unknownKeyPart)
    : m_path(QDir::toNativeSeparators(file.path()))
    , m_file(file)
    , m_section(std::move(section))
    , m_parts(std::move(parts))
    , m_unknownKeyPart(unknownKeyPart)
{ }

void SectionReader::read(const QList<SectionKey> &keys)
{
    QStringList names;
    for (const SectionKey &key : keys)
        names << key.name;

    for (const auto &[written, value] : m_file.readSection(m_section)) {
        const bool repeated = std::any_of(
            m_entries.cbegin(), m_entries.cend(),
            [&written = written](const Entry &entry) { return sameKey(entry.key, written); });
        if (repeated)
            continue;
        const auto row
            = std::find_if(keys.cbegin(), keys.cend(), [&written = written](const SectionKey &key) {
                  return key.matches ? key.matches(written) : sameKey(key.name, written);
              });
        // The value is named too: with it the user finds the very line, and
        // often sees which key was meant.
        if (row == keys.cend()) {
            m_entries.append({written, value, m_unknownKeyPart.value_or(-1), true});
            tell(QStringLiteral(
                     "The key \"%1\" (set to \"%2\") in section [%3] of the settings file "
                     "%4 is not one of that section's keys, which are %5.")
                     .arg(written, shown(value), m_section, m_path,
                          names.join(QStringLiteral(", "))),
                 m_unknownKeyPart);
            continue;
        }

        Entry entry{written, value, row->part, true};
        if (value.isEmpty()) {
            tell(QStringLiteral("The setting \"%1\" in section [%2] of the settings file %3 has an "
                                "empty value (\"\"). Give it a value, or remove the line to leave "
                                "the setting out.")
                     .arg(written, m_section, m_path),
                 row->part);
        } else if (value.size() > IniMaxValueLength) {
            // Part of a command or a topic would do something else than what
            // was written, so none of it is used.
            tell(QStringLiteral("The setting \"%1\" in section [%2] of the settings file %3 holds "
                                "%4 characters, more than the %5 a setting may hold, so none of "
                                "it is used.")
                     .arg(written, m_section, m_path)
                     .arg(value.size())
                     .arg(IniMaxValueLength),
                 row->part);
        } else if (const std::optional<QString> expected = row->take(written, value)) {
            tell(QStringLiteral("The setting \"%1=%2\" in section [%3] of the settings file %4 "
                                "cannot be used: %5")
                     .arg(written, shown(value), m_section, m_path, *expected),
                 row->part);
        } else {
            entry.refused = false;
        }
        m_entries.append(entry);
    }
}

bool SectionReader::holds(const QString &name) const
{
    return std::any_of(m_entries.cbegin(), m_entries.cend(),
                       [&name](const Entry &entry) { return sameKey(entry.key, name); });
}

void SectionReader::refuse(const QString &name, const QString &reason, const QString &shownValue)
{
    const auto entry = std::find_if(m_entries.begin(), m_entries.end(),
                                    [&name](const Entry &e) { return sameKey(e.key, name); });
    if (entry == m_entries.end() || entry->refused)
        return;
    entry->refused = true;
    tell(QStringLiteral("The setting \"%1=%2\" in section [%3] of the settings file %4 cannot be "
                        "used: %5")
             .arg(entry->key, shown(shownValue.isEmpty() ? entry->value : shownValue), m_section,
                  m_path, reason),
         entry->part);
}

void SectionReader::refuseSection(const QString &reason, int part)
{
    tell(QStringLiteral("The section [%1] of the settings file %2 cannot be used: %3")
             .arg(m_section, m_path, reason),
         part);
}

void SectionReader::tell(QString message, std::optional<int> part)
{
    if (part && *part >= 0 && *part < m_parts.size()) {
        m_partsOff.insert(*part);
        message += u' ' + m_parts.at(*part).whatIsOff;
    }
    m_problems.append(message);
}

QStringList SectionReader::finish()
{
    for (qsizetype part = 0; part < m_parts.size(); ++part) {
        if (m_partsOff.contains(int(part)) && m_parts.at(part).turnOff)
            m_parts.at(part).turnOff();
    }
    return m_problems;
}
