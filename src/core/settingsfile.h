// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

// The settings file: owns its path and the flag that marks a file created
// during this start. Every change to the file replaces it atomically, so a
// crash never leaves half a file behind.
class SettingsFile
{
public:
    enum class Location {
        // Run from its build tree: beside the executable, or in the fallback
        // folder when the executable's folder holds no settings file and
        // cannot be written.
        BesideExecutable,
        // Installed: always in the fallback folder, even where the
        // executable's folder can be written (as root, /usr/bin can).
        UserConfigFolder,
    };

    // executableFolder is where a build-tree run looks for the file first;
    // fallbackFolder is the user's configuration folder.
    SettingsFile(QString executableFolder, QString fallbackFolder,
                 Location location = Location::BesideExecutable);

    // UserConfigFolder in a build configured with WIND_INSTALLED_BUILD,
    // BesideExecutable otherwise.
    static Location locationOfThisBuild();
    // The application's file as this build keeps it, next to
    // QCoreApplication::applicationDirPath() or in
    // QStandardPaths::AppConfigLocation. Needs the application object and
    // its name.
    static SettingsFile forThisApplication();

    QString path() const { return m_path; }
    QString fileName() const { return m_fileName; }
    // True once ensureSection() found the file missing during this start;
    // while it is, every later ensureSection() and seedKey() writes.
    bool isNew() const { return m_isNew; }

    // Chooses the file by its bare name and clears isNew(). Touches no file.
    void selectFile(const QString &fileName);
    // Appends the header "[section]" when the file is missing or new; an
    // existing file is never completed or repaired. Both throw AppError
    // (FileError) when the file cannot be created or replaced.
    void ensureSection(const QString &section);
    // In a new file only: appends "key=" under the last header and fills in
    // the value.
    void seedKey(const QString &section, const QString &key, const QString &value);
    // Values are read as UTF-8 when their bytes are valid UTF-8, else as
    // Latin-1; what the application writes is Latin-1.

    // The value, at most 254 bytes; empty when the file, the section or the
    // key is missing. Throws AppError (FileError) when an existing file
    // cannot be read.
    QString readKey(const QString &section, const QString &key) const;
    // Every key and whole value of the section, in the file's order; empty
    // when the file or the section is missing. Throws as readKey() does.
    QList<std::pair<QString, QString>> readSection(const QString &section) const;
    // Throws AppError: FileError when the file cannot be replaced,
    // InvalidArgument for text that would not read back as written (beyond
    // Latin-1, or Latin-1 bytes that read as UTF-8).
    void writeKey(const QString &section, const QString &key, const QString &value);

private:
    QString m_executableFolder;
    QString m_fallbackFolder;
    Location m_location;
    QString m_path;
    QString m_fileName;
    bool m_isNew = false;
};
