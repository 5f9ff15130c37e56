#include "module1.h"

#include "atomicfile.h"
#include "inifile.h"
#include "platform/apperror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

// The file holds 8-bit text; a character outside it would be stored as '?'
// and the entry could not be found or read back.
QByteArray toFileText(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xff)
            throw AppError(
                AppError::Kind::InvalidArgument,
                QStringLiteral("\"%1\" cannot be stored in the settings file").arg(text));
    }
    return text.toLatin1();
}

void writeFile(const QString &path, const QByteArray &contents)
{
    // The fallback folder may not exist yet; a failure here shows up as the
    // write's own error.
    QDir().mkpath(QFileInfo(path).absolutePath());
    replaceFileContents(path, contents);
}

} // namespace

Module1::Module1(QString executableFolder, QString fallbackFolder)
    : m_executableFolder(std::move(executableFolder))
    , m_fallbackFolder(std::move(fallbackFolder))
{ }

void Module1::IniSetFile(const QString &fileName)
{
    SettingsFileIsNew = false;
    SettingsFileName = fileName;
    const bool useExecutableFolder
        = folderHoldsFile(m_executableFolder, fileName) || folderIsWritable(m_executableFolder);
    SettingsPath = (useExecutableFolder ? m_executableFolder : m_fallbackFolder) + u'/' + fileName;
}

void Module1::IniEnsureSection(const QString &section)
{
    if (!SettingsFileIsNew && folderHoldsFile(QFileInfo(SettingsPath).path(), SettingsFileName))
        return;
    SettingsFileIsNew = true;
    const QByteArray line = '[' + toFileText(section) + ']';
    writeFile(SettingsPath, iniAppendLine(readFile(SettingsPath), line));
}

void Module1::IniSeedKey(const QString &section, const QString &key, const QString &value)
{
    if (!SettingsFileIsNew)
        return;
    const QByteArray line = toFileText(key) + '=';
    writeFile(SettingsPath, iniAppendLine(readFile(SettingsPath), line));
    IniWriteKey(section, key, value);
}

QString Module1::IniReadKey(const QString &section, const QString &key) const
{
    return QString::fromLatin1(
        iniReadValue(readFile(SettingsPath), toFileText(section), toFileText(key)));
}

void Module1::IniWriteKey(const QString &section, const QString &key, const QString &value)
{
    const QByteArray before = readFile(SettingsPath);
    const QByteArray after
        = iniWriteValue(before, toFileText(section), toFileText(key), toFileText(value));
    // An unchanged file is not rewritten, so closing with the same values
    // works even where the file cannot be replaced.
    if (after != before)
        writeFile(SettingsPath, after);
}
