// SPDX-License-Identifier: MIT
#pragma once

#include "core/settingsfile.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

// A settings file holding the given bytes, in a folder of its own that goes
// with it: what the readers of its sections read.
class SectionFile
{
public:
    explicit SectionFile(const QByteArray &contents)
        : m_settings(m_folder.path(), m_folder.path())
    {
        m_settings.selectFile(QStringLiteral("Application.ini"));
        QFile file(m_settings.path());
        if (file.open(QIODevice::WriteOnly))
            file.write(contents);
    }

    SettingsFile &settings() { return m_settings; }
    QString path() const { return m_settings.path(); }
    QString folder() const { return m_folder.path(); }
    QByteArray contents() const
    {
        QFile file(m_settings.path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Whether every problem names this file, and the i-th holds the i-th
    // text of named, with no problem more or less.
    bool told(const QStringList &problems, const QStringList &named) const
    {
        if (problems.size() != named.size())
            return false;
        for (qsizetype i = 0; i < problems.size(); ++i) {
            if (!problems[i].contains(m_settings.path()) || !problems[i].contains(named[i]))
                return false;
        }
        return true;
    }

private:
    QTemporaryDir m_folder;
    SettingsFile m_settings;
};
