// Opens a port as the application does, through the settings file's [PORTS]
// section, and prints the user it ran as and what the serial control
// reported. The serial port tests run it as another user, since neither a
// device's permissions nor its exclusive use bind root.
//
//   openport SETTINGS_FOLDER PORT

#include "core/apperror.h"
#include "core/settingsfile.h"
#include "platform/portdevice.h"
#include "platform/qtserialcontrol.h"

#include <QCoreApplication>
#include <QTextStream>

#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3)
        return 2;
    SettingsFile settings({}, arguments.at(1), SettingsFile::Location::UserConfigFolder);
    settings.selectFile(QStringLiteral("Application.ini"));
    const auto serial = makeSerialControl(settings);

    QTextStream out(stdout);
    out << "uid " << ::geteuid() << '\n';
    try {
        serial->setPortNumber(qint16(arguments.at(2).toInt()));
        serial->setOpen(true);
        out << "opened\n";
    } catch (const AppError &error) {
        out << error.description() << '\n';
    }
    return 0;
}
