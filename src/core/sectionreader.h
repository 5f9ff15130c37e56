// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

class SettingsFile;

// What one of the optional sections of the settings file configures, and
// what the user must be told about it: one message for each setting that
// cannot be used. Every section's reader gives this shape.
template<class Config> struct SectionSettings
{
    Config config;
    QStringList problems;
};

// One row of a section's table of keys.
struct SectionKey
{
    // As the documentation spells it; the file may use any letter case.
    QString name;
    // Takes the value (blanks around it removed, never empty) into the
    // configuration, or leaves the configuration alone and says what the key
    // expects: "expected True or False."
    std::function<std::optional<QString>(const QString &key, const QString &value)> take;
    // The part of the section that a value it cannot use turns off.
    int part = 0;
    // Whether a key as the file spells it is this row's; without it, the name
    // in any letter case. For a family of keys such as [PORTS] COM1, COM2...
    std::function<bool(const QString &key)> matches = {};
};

// The common row: the key sets one field through a parser that gives the
// field's value, or nothing for a text it cannot use. Without the key the
// field keeps its default, the configuration's member initialiser.
template<class Field, class Parse>
SectionKey settingKey(QString name, Field &field, Parse parse, QString expected, int part = 0)
{
    return {std::move(name),
            [&field, parse = std::move(parse), expected = std::move(expected)](
                const QString &, const QString &value) -> std::optional<QString> {
                auto parsed = parse(value);
                if (!parsed)
                    return expected;
                field = std::move(*parsed);
                return std::nullopt;
            },
            part};
}

// Reads one of the optional sections that the application only reads
// ([PORTS], [INPUT], [NMEA], [LOG], [MQTT], [ALARM], [VIEW], [SENSOR]), with
// one policy for all of them. A key the section does not have (Nite=True),
// a key without a value (TcpPort=), a value longer than the reader keeps
// (IniMaxValueLength characters) or a value that its key cannot use gives
// one message naming the key, the value and the file, and turns off the part
// of the section that the key belongs to; the message says what is off. A
// section that is one feature, such as [NMEA], is one part; [ALARM] has one
// part for each alarm. As everywhere in the file, the first section of the
// name and the first entry of a key count.
//
// A section's reader, over a configuration whose member initialisers are
// its defaults:
//
//     NmeaConfig config;
//     SectionReader section(file, QStringLiteral("NMEA"),
//                           {{QStringLiteral("Nothing is shared."), [&] { config = {}; }}}, 0);
//     section.read({settingKey(QStringLiteral("TcpPort"), config.tcpPort, parsePortNumber,
//                              QStringLiteral("expected a port from 1 to 65535.")),
//                   ...});
//     // the rules between keys, told with refuse() or refuseSection()
//     return section.finish(config);
class SectionReader
{
public:
    // A part of the section that a problem turns off, and the sentence that
    // tells the user so.
    struct Part
    {
        QString whatIsOff; // "The gust alarm is off."
        std::function<void()> turnOff;
    };

    // unknownKeyPart: what a key the section does not have turns off; none
    // in a section of independent parts, where it might belong to any.
    SectionReader(const SettingsFile &file, QString section, QList<Part> parts,
                  std::optional<int> unknownKeyPart);

    // Reads the section's entries through the table. Throws AppError
    // (FileError) when the settings file exists but cannot be read; nothing
    // else.
    void read(const QList<SectionKey> &keys);

    // Whether the section has no entry at all.
    bool isEmpty() const { return m_entries.isEmpty(); }
    // Whether the section has an entry of a key of the table (used or not).
    bool holds(const QString &name) const;
    bool isOff(int part) const { return m_partsOff.contains(part); }

    // For the rules between keys, after read(): refuses a key whose value
    // its parser took but that does not fit with another, giving the reason
    // ("it is set without Username: ..."); a key already refused is not told
    // again. shownValue stands for the value as written, such as a file name
    // made absolute.
    void refuse(const QString &name, const QString &reason, const QString &shownValue = {});
    // A problem of the section as a whole, such as a key it needs but lacks.
    void refuseSection(const QString &reason, int part);

    // Turns off every part that a problem turned off, and gives the messages
    // in the order they were found.
    QStringList finish();
    // The same, with the configuration the parts were turned off in.
    template<class Config> SectionSettings<Config> finish(const Config &config)
    {
        QStringList problems = finish();
        return {config, std::move(problems)};
    }

private:
    struct Entry
    {
        QString key; // as the file spells it
        QString value;
        int part = 0;
        bool refused = false;
    };

    void tell(QString message, std::optional<int> part);

    QString m_path;
    const SettingsFile &m_file;
    QString m_section;
    QList<Part> m_parts;
    std::optional<int> m_unknownKeyPart;
    QList<Entry> m_entries;
    QSet<int> m_partsOff;
    QStringList m_problems;
};
