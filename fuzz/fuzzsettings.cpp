// SPDX-License-Identifier: MIT
// A settings file of any content through what start-up and closing do with
// it: the four settings and a few other entries are read and converted, the
// four settings are written back, and the file is read again. What was
// written must read back and convert to the same value, every other entry
// must read as before, the lines the writer did not write must still be
// there byte for byte and in order, and writing the same values again must
// change nothing. An AppError while reading or converting is expected (an
// unreadable setting ends start-up); anywhere else it is a finding.
//
// Input: byte 0 holds flags: bits 0-2 choose the user's locale, bit 3 runs
// the same steps through the settings module on a real file as well, and
// reads every optional section of it, bit 4 is the example-mode setting. Bytes 1-8 and 9-16 are the
// direction and the speed (doubles, any bit pattern), bytes 17-18 the port number (16 bits). The
// rest is the file; through the module, an empty rest means no file.

#include "core/apperror.h"
#include "core/datalogsettings.h"
#include "core/inifile.h"
#include "core/inputsettings.h"
#include "core/nmeasettings.h"
#include "core/sensorsettings.h"
#include "core/serialdevice.h"
#include "core/settingsfile.h"
#include "core/settingstext.h"
#include "core/viewsettings.h"
#include "core/windalarmsettings.h"
#include "fuzzcheck.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QLocale>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>

namespace {

constexpr size_t HeaderSize = 19;

const QByteArray Parameters = QByteArrayLiteral("PARAMETRES");
const QByteArray Values = QByteArrayLiteral("VALUES");

struct Setting
{
    QByteArray section;
    QByteArray key;
    QByteArray value; // as closing writes it
    // Reads the value as start-up does and writes it again.
    std::function<QString(const QString &)> reread;
};

struct Query
{
    QByteArray section;
    QByteArray key;
};

bool sameName(const QByteArray &a, const QByteArray &b)
{
    return QString::fromLatin1(a).compare(QString::fromLatin1(b), Qt::CaseInsensitive) == 0;
}

QLocale localeFrom(uint8_t flags)
{
    // Decimal point, decimal comma, a group separator outside Latin-1, a
    // minus sign outside it, decimal separators outside it.
    static const char *const names[]
        = {"C", "en_US", "de_DE", "fr_FR", "sv_SE", "de_CH", "fa_IR", "ar_EG"};
    return QLocale(QString::fromLatin1(names[flags & 0x07]));
}

template<class T> T valueAt(const uint8_t *data, size_t size, size_t offset)
{
    unsigned char bytes[sizeof(T)] = {};
    for (size_t i = 0; i < sizeof(T) && offset + i < size; ++i)
        bytes[i] = data[offset + i];
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// The four settings as closing writes them. A direction or speed that is
// not finite has no text; closing skips it, and so does this.
QList<Setting> settingsToWrite(const uint8_t *data, size_t size, const QLocale &locale)
{
    const uint8_t flags = size > 0 ? data[0] : 0;
    const auto angle = valueAt<double>(data, size, 1);
    const auto wind = valueAt<double>(data, size, 9);
    const auto port = valueAt<qint16>(data, size, 17);

    QList<Setting> settings;
    settings.append({Parameters, QByteArrayLiteral("SerialPort1-COM"),
                     QString::number(port).toLatin1(), [port](const QString &text) {
                         FUZZ_CHECK(settingToInt16(text) == port);
                         return QString::number(port);
                     }});
    const bool exampleMode = flags & 0x10;
    settings.append({Parameters, QByteArrayLiteral("DummyMode"),
                     exampleMode ? QByteArrayLiteral("True") : QByteArrayLiteral("False"),
                     [exampleMode](const QString &text) {
                         FUZZ_CHECK(settingToBoolean(text) == exampleMode);
                         return exampleMode ? QStringLiteral("True") : QStringLiteral("False");
                     }});
    const auto number = [&](const char *key, double value) {
        if (!std::isfinite(value))
            return;
        const QString text = generalNumberText(value, locale);
        FUZZ_CHECK(text.size() <= IniMaxValueLength);
        settings.append({Values, key, text.toLatin1(), [value, &locale](const QString &stored) {
                             // 15 significant digits survive.
                             const double read = settingToDouble(stored);
                             FUZZ_CHECK(std::fabs(read - value) <= 1e-13 * std::fabs(value));
                             return generalNumberText(read, locale);
                         }});
    };
    number("Angle", angle);
    number("Wind", wind);
    return settings;
}

// Names that occur in the file, and some that are odd, to read besides the
// four settings.
QList<Query> queriesFor(const QByteArray &file)
{
    QList<QByteArray> sections = {QByteArrayLiteral("ports"), QByteArray()};
    QList<QByteArray> keys = {QByteArrayLiteral("COM1"), QByteArray()};
    const QList<QByteArray> lines = file.split('\n');
    for (qsizetype i = 0; i < lines.size() && i < 16; ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const qsizetype close = line.indexOf(']');
        const qsizetype equals = line.indexOf('=');
        if (line.startsWith('[') && close > 0 && sections.size() < 4)
            sections.append(line.mid(1, close - 1));
        else if (equals > 0 && keys.size() < 4)
            keys.append(line.left(equals).trimmed());
    }
    QList<Query> queries;
    for (const QByteArray &section : sections) {
        for (const QByteArray &key : keys)
            queries.append({section, key});
    }
    return queries;
}

QByteArray readValue(const QByteArray &file, const QByteArray &section, const QByteArray &key)
{
    const QByteArray value = iniReadValue(file, section, key);
    FUZZ_CHECK(value.size() <= IniMaxValueLength);
    FUZZ_CHECK(!value.contains('\n'));
    return value;
}

// Start-up's reads and conversions; a failure here only ends start-up.
void readAtStartUp(const QByteArray &file)
{
    const auto convert = [](const std::function<void()> &conversion) {
        try {
            conversion();
        } catch (const AppError &error) {
            FUZZ_CHECK(error.kind() == AppError::Kind::TypeMismatch
                       || error.kind() == AppError::Kind::Overflow);
        }
    };
    const QString example = QString::fromLatin1(readValue(file, Parameters, "DummyMode"));
    const QString angle = QString::fromLatin1(readValue(file, Values, "Angle"));
    const QString wind = QString::fromLatin1(readValue(file, Values, "Wind"));
    const QString port = QString::fromLatin1(readValue(file, Parameters, "SerialPort1-COM"));
    convert([&] { settingToBoolean(example); });
    convert([&] { checkedFloat(settingToDouble(angle)); });
    convert([&] { checkedFloat(settingToDouble(wind)); });
    convert([&] { settingToInt16(port); });
}

// Lines with their line ends; the last may have none.
QList<QByteArray> linesOf(const QByteArray &file)
{
    QList<QByteArray> lines;
    qsizetype pos = 0;
    while (pos < file.size()) {
        const qsizetype newline = file.indexOf('\n', pos);
        const qsizetype end = newline < 0 ? file.size() : newline + 1;
        lines.append(file.mid(pos, end - pos));
        pos = end;
    }
    return lines;
}

bool isEntryOf(const QByteArray &line, const QList<Setting> &settings)
{
    const QByteArray text = line.trimmed();
    const qsizetype equals = text.indexOf('=');
    if (equals <= 0)
        return false;
    const QByteArray name = text.left(equals).trimmed();
    for (const Setting &setting : settings) {
        if (sameName(name, setting.key))
            return true;
    }
    return false;
}

bool isHeaderOf(const QByteArray &line, const QList<Setting> &settings, const QByteArray &lineEnd)
{
    for (const Setting &setting : settings) {
        if (line == '[' + setting.section + ']' + lineEnd)
            return true;
    }
    return false;
}

// Every line of the original that is not an entry of a written key is in
// the result, unchanged and in order; a last line without a line end may
// have gained one. Every other line of the result is an entry of a written
// key or the header of a section that had to be added, and each written
// entry is a line of its own that ends as the original's first line does
// (CR LF when it has no line end).
void checkUntouchedLines(const QByteArray &original, const QByteArray &result,
                         const QList<Setting> &settings)
{
    const qsizetype firstNewline = original.indexOf('\n');
    const QByteArray lineEnd
        = firstNewline == 0 || (firstNewline > 0 && original.at(firstNewline - 1) != '\r')
        ? QByteArray("\n")
        : QByteArray("\r\n");
    QList<QByteArray> kept;
    for (const QByteArray &line : linesOf(original)) {
        if (!isEntryOf(line, settings))
            kept.append(line);
    }
    const auto sameLine = [](const QByteArray &was, const QByteArray &is) {
        return is == was || (!was.endsWith('\n') && (is == was + '\n' || is == was + "\r\n"));
    };
    const QList<QByteArray> lines = linesOf(result);
    qsizetype next = 0;
    for (const QByteArray &line : lines) {
        if (next < kept.size() && sameLine(kept.at(next), line))
            ++next;
        else
            FUZZ_CHECK(isEntryOf(line, settings) || isHeaderOf(line, settings, lineEnd));
    }
    FUZZ_CHECK(next == kept.size());

    // The writer's own lines: "key=value", the key spelled as in the file.
    for (const Setting &setting : settings) {
        FUZZ_CHECK(std::any_of(lines.begin(), lines.end(), [&](const QByteArray &line) {
            const qsizetype equals = line.indexOf('=');
            return equals > 0 && sameName(line.left(equals), setting.key)
                && line.mid(equals + 1) == setting.value + lineEnd;
        }));
    }
}

QByteArray writeAll(QByteArray file, const QList<Setting> &settings)
{
    for (const Setting &setting : settings)
        file = iniWriteValue(file, setting.section, setting.key, setting.value);
    return file;
}

// The folder stands in for the executable's; on a RAM disk where there is
// one, since the module syncs every file it writes.
QString moduleFolder()
{
    static const QTemporaryDir folder(
        (QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath())
        + QStringLiteral("/fuzz-settings-XXXXXX"));
    FUZZ_CHECK(folder.isValid());
    return folder.path();
}

QByteArray fileContents(const QString &path)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

// Every optional section, read as start-up reads it: a file that can be read
// never throws, and every problem names the file. [MQTT] is left out: it
// opens the files it names, and a fuzzed PasswordFile=/dev/stdin would wait.
void readSections(const SettingsFile &module)
{
    QStringList problems;
    problems << readPortsSection(module).problems << readInputSection(module).problems
             << readNmeaSection(module).problems << readDataLogSettings(module).problems
             << readWindAlarmSettings(module).problems << readViewSettings(module).problems
             << readSensorSection(module).problems;
    for (const QString &problem : std::as_const(problems))
        FUZZ_CHECK(problem.contains(module.path()));
}

// Start-up's steps through the module; gives the file as start-up leaves it.
QByteArray startThroughModule(SettingsFile &module, const QByteArray &file)
{
    const QString path = moduleFolder() + QStringLiteral("/Application.ini");
    QFile::remove(path);
    if (!file.isEmpty()) {
        QFile out(path);
        FUZZ_CHECK(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
    }
    module.selectFile(QStringLiteral("Application.ini"));
    FUZZ_CHECK(module.path() == path);
    module.ensureSection(QStringLiteral("PARAMETRES"));
    module.seedKey(QStringLiteral("PARAMETRES"), QStringLiteral("SerialPort1-COM"),
                   QStringLiteral("1"));
    module.seedKey(QStringLiteral("PARAMETRES"), QStringLiteral("DummyMode"),
                   QStringLiteral("True"));
    module.ensureSection(QStringLiteral("VALUES"));
    module.seedKey(QStringLiteral("VALUES"), QStringLiteral("Angle"), QStringLiteral("1"));
    module.seedKey(QStringLiteral("VALUES"), QStringLiteral("Wind"), QStringLiteral("1"));

    const QByteArray started = fileContents(path);
    if (file.isEmpty())
        FUZZ_CHECK(started
                   == "[PARAMETRES]\r\nSerialPort1-COM=1\r\nDummyMode=True\r\n"
                      "[VALUES]\r\nAngle=1\r\nWind=1\r\n");
    else
        FUZZ_CHECK(started == file);
    return started;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const uint8_t flags = size > 0 ? data[0] : 0;
    const QLocale locale = localeFrom(flags);
    const bool throughModule = flags & 0x08;
    const QList<Setting> settings = settingsToWrite(data, size, locale);
    QByteArray file = size > HeaderSize
        ? QByteArray(reinterpret_cast<const char *>(data + HeaderSize),
                     qsizetype(size - HeaderSize))
        : QByteArray();

    std::optional<SettingsFile> module;
    if (throughModule) {
        module.emplace(moduleFolder(), moduleFolder() + QStringLiteral("/fallback"));
        file = startThroughModule(*module, file);
        readSections(*module);
    }

    readAtStartUp(file);
    const QList<Query> queries = queriesFor(file);
    QList<QByteArray> before;
    for (const Query &query : queries)
        before.append(readValue(file, query.section, query.key));

    const QByteArray written = writeAll(file, settings);

    for (const Setting &setting : settings) {
        const QByteArray stored = readValue(written, setting.section, setting.key);
        FUZZ_CHECK(stored == setting.value);
        FUZZ_CHECK(setting.reread(QString::fromLatin1(stored)).toLatin1() == setting.value);
    }
    for (qsizetype i = 0; i < queries.size(); ++i) {
        const Query &query = queries.at(i);
        const bool wasWritten
            = std::any_of(settings.begin(), settings.end(), [&](const Setting &s) {
                  return sameName(s.section, query.section) && sameName(s.key, query.key);
              });
        if (!wasWritten)
            FUZZ_CHECK(readValue(written, query.section, query.key) == before.at(i));
    }
    checkUntouchedLines(file, written, settings);
    FUZZ_CHECK(writeAll(written, settings) == written);

    if (module) {
        for (const Setting &setting : settings)
            module->writeKey(QString::fromLatin1(setting.section), QString::fromLatin1(setting.key),
                             QString::fromLatin1(setting.value));
        FUZZ_CHECK(fileContents(module->path()) == written);
        for (const Setting &setting : settings)
            FUZZ_CHECK(module->readKey(QString::fromLatin1(setting.section),
                                       QString::fromLatin1(setting.key))
                       == QString::fromLatin1(setting.value));
    }
    return 0;
}
