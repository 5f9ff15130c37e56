#pragma once

#include <QString>

// The settings module: owns the path of the settings file and the flag that
// marks a file created during this start. Every change to the file replaces
// it atomically, so a crash never leaves half a file behind.
class Module1
{
public:
    // executableFolder is where the file is looked for first; fallbackFolder
    // (the user's configuration folder) is used when the executable's folder
    // holds no settings file and cannot be written.
    Module1(QString executableFolder, QString fallbackFolder);

    QString SettingsPath;
    QString SettingsFileName;
    bool SettingsFileIsNew = false;

    void IniSetFile(const QString &fileName);
    // Both throw AppError (FileError) when the file cannot be created or
    // replaced.
    void IniEnsureSection(const QString &section);
    void IniSeedKey(const QString &section, const QString &key, const QString &value);
    // The value, at most 254 characters; empty when the file, the section or
    // the key is missing. Throws AppError (FileError) when an existing file
    // cannot be read.
    QString IniReadKey(const QString &section, const QString &key) const;
    // Throws AppError: FileError when the file cannot be replaced,
    // InvalidArgument for text that the file's 8-bit lines cannot hold.
    void IniWriteKey(const QString &section, const QString &key, const QString &value);

private:
    QString m_executableFolder;
    QString m_fallbackFolder;
};
