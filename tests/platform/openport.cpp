// SPDX-License-Identifier: MIT
// Opens port 4 as the application does, through the settings file's [PORTS]
// section, and prints what the serial port reported. The serial port tests
// run it as another user, since neither a device's permissions nor its
// exclusive use bind root.
//
//   openport SETTINGS_FOLDER

#include "core/apperror.h"
#include "core/settingsfile.h"
#include "platform/portdevice.h"
#include "platform/serialtransport.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 2)
        return 2;
    SettingsFile settings({}, app.arguments().at(1), SettingsFile::Location::UserConfigFolder);
    settings.selectFile(QStringLiteral("Application.ini"));
    const auto serial = makeSerialTransport(settings, 4);
    QTextStream out(stdout);
    try {
        serial->open();
        out << "opened\n";
    } catch (const AppError &error) {
        out << error.description() << '\n';
    }
    return 0;
}
