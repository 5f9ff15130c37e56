// SPDX-License-Identifier: MIT
#include "core/settingsfile.h"

#include "core/apperror.h"
#include "core/atomicfile.h"
#include "core/inifile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>

namespace {

// The directory search: ordinary, non-hidden files only, and the name must
// match exactly, letter case included, even on a file system that ignores
// case.
bool folderHoldsFile(const QString &folder, const QString &fileName)
{
    return QDir(folder).entryList(QDir::Files).contains(fileName);
}

bool folderIsWritable(const QString &folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(AppError::Kind::FileError,
                       QStringLiteral("Cannot read the file %1: %2")
                           .arg(QDir::toNativeSeparators(path), file.errorString()));
    return file.readAll();
}

// Debian's editors write UTF-8, while files from older systems hold Latin-1.
// A multi-byte UTF-8 sequence is very unlikely in Latin-1 text (it would
// need a letter such as Ã followed by a character from the upper control
// range or the symbols), so bytes that are valid UTF-8 are read as UTF-8,
// and any others, which Latin-1 can always read, as before.
QString fromFileText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

// What the application writes stays Latin-1, as it always was. A character
// beyond it would be stored as '?', and text whose Latin-1 bytes happen to
// be valid UTF-8 ("Ã©") would read back as something else: neither could be
// read back, so both are refused.
QByteArray toFileText(const QString &text)
{
    const QByteArray bytes = text.toLatin1();
    if (fromFileText(bytes) != text)
        throw AppError(AppError::Kind::InvalidArgument,
                       QStringLiteral("\"%1\" cannot be stored in the settings file").arg(text));
    return bytes;
}

void writeFile(const QString &path, const QByteArray &contents)
{
    // The fallback folder may not exist yet; a failure here shows up as the
    // write's own error.
    QDir().mkpath(QFileInfo(path).absolutePath());
    replaceFileContents(path, contents);
}

} // namespace

SettingsFile::SettingsFile(QString executableFolder, QString fallbackFolder, Location location)
    : m_executableFolder(std::move(executableFolder))
    , m_fallbackFolder(std::move(fallbackFolder))
    , m_location(location)
{ }

SettingsFile::Location SettingsFile::locationOfThisBuild()
{
#ifdef WIND_INSTALLED_BUILD
    return Location::UserConfigFolder;
#else
    return Location::BesideExecutable;
#endif
}

SettingsFile SettingsFile::forThisApplication()
{
    return SettingsFile(QCoreApplication::applicationDirPath(),
                        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation),
                        locationOfThisBuild());
}

void SettingsFile::selectFile(const QString &fileName)
{
    m_isNew = false;
    m_fileName = fileName;
    const bool useExecutableFolder = m_location == Location::BesideExecutable
        && (folderHoldsFile(m_executableFolder, fileName) || folderIsWritable(m_executableFolder));
    m_path = (useExecutableFolder ? m_executableFolder : m_fallbackFolder) + u'/' + fileName;
}

void SettingsFile::ensureSection(const QString &section)
{
    if (!m_isNew && folderHoldsFile(QFileInfo(m_path).path(), m_fileName))
        return;
    m_isNew = true;
    const QByteArray line = '[' + toFileText(section) + ']';
    writeFile(m_path, iniAppendLine(readFile(m_path), line));
}

void SettingsFile::seedKey(const QString &section, const QString &key, const QString &value)
{
    if (!m_isNew)
        return;
    const QByteArray line = toFileText(key) + '=';
    writeFile(m_path, iniAppendLine(readFile(m_path), line));
    writeKey(section, key, value);
}

QString SettingsFile::readKey(const QString &section, const QString &key) const
{
    return fromFileText(iniReadValue(readFile(m_path), toFileText(section), toFileText(key)));
}

QList<std::pair<QString, QString>> SettingsFile::readSection(const QString &section) const
{
    QList<std::pair<QString, QString>> entries;
    for (const auto &[key, value] : iniSectionEntries(readFile(m_path), toFileText(section)))
        entries.append({fromFileText(key), fromFileText(value)});
    return entries;
}

void SettingsFile::writeKey(const QString &section, const QString &key, const QString &value)
{
    const QByteArray before = readFile(m_path);
    const QByteArray after
        = iniWriteValue(before, toFileText(section), toFileText(key), toFileText(value));
    // An unchanged file is not rewritten, so closing with the same values
    // works even where the file cannot be replaced.
    if (after != before)
        writeFile(m_path, after);
}
