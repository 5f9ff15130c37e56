// SPDX-License-Identifier: MIT
#include "commandline.h"

#include "core/serialdevice.h"
#include "core/settingsfile.h"
#include "core/windsettings.h"
#include "platform/serialdevices.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QTextStream>

namespace {

// Options that QGuiApplication and QApplication take out of the command line
// themselves, once the parser has let them through.
struct QtOption
{
    const char *name;
    bool takesValue;
};
constexpr QtOption QtOptions[] = {
    {"platform", true},        {"platformpluginpath", true},
    {"platformtheme", true},   {"plugin", true},
    {"qwindowgeometry", true}, {"geometry", true},
    {"qwindowtitle", true},    {"title", true},
    {"qwindowicon", true},     {"icon", true},
    {"display", true},         {"name", true},
    {"session", true},         {"style", true},
    {"stylesheet", true},      {"reverse", false},
    {"widgetcount", false},    {"sync", false},
};

} // namespace

void describeApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("wind-condition"));
    QCoreApplication::setApplicationVersion(QStringLiteral(WIND_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(WIND_APP_ID));
}

std::optional<int> runCommandLine(int argc, char *argv[], StartRequest &request)
{
    // With no argument the window starts at once, as it always has.
    if (argc <= 1)
        return std::nullopt;
    const QCoreApplication console(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    // Qt's options are single-dash words (-platform, -style).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Shows live wind direction, speed and Beaufort force from a serial wind\n"
                       "sensor, or from example mode. Without an option it opens its window."));
    // Not addHelpOption(): its --help-all would promise Qt's options, which a
    // console application object does not know.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays help on commandline options."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption listPorts(
        QStringLiteral("list-ports"),
        QStringLiteral("Prints the serial devices present, the settings file's path and "
                       "[PORTS] lines that map the devices to port numbers, then exits."));
    parser.addOption(listPorts);
    const QCommandLineOption history(QStringLiteral("history"),
                                     QStringLiteral("Opens the wind history window as well."));
    parser.addOption(history);
    const QCommandLineOption night(
        QStringLiteral("night"),
        QStringLiteral("Starts with night colours: red and dark red on black."));
    parser.addOption(night);
    for (const QtOption &qtOption : QtOptions) {
        QCommandLineOption option(QString::fromLatin1(qtOption.name));
        if (qtOption.takesValue)
            option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    if (!parser.parse(console.arguments()) || !parser.positionalArguments().isEmpty()) {
        const QString problem = parser.errorText().isEmpty()
            ? QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first())
            : parser.errorText();
        err << "wind-condition: " << problem << "\nTry 'wind-condition --help'.\n";
        return 2;
    }
    if (parser.isSet(help)) {
        out << parser.helpText();
        return 0;
    }
    if (parser.isSet(version)) {
        out << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion()
            << '\n';
        return 0;
    }
    if (parser.isSet(listPorts)) {
        SettingsFile settings = SettingsFile::forThisApplication();
        selectWindSettingsFile(settings);
        out << portListing(presentSerialDevices(), settings.path());
        return 0;
    }
    request.openHistory = parser.isSet(history);
    request.night = parser.isSet(night);
    return std::nullopt;
}
