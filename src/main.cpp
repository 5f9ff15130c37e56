#include "platform/qtserialcontrol.h"
#include "platform/signalwatcher.h"
#include "shell/designfont.h"
#include "shell/errorguard.h"
#include "shell/frmmain.h"
#include "shell/messages.h"
#include "shell/module1.h"

#include <QFont>
#include <QIcon>
#include <QScreen>
#include <QStandardPaths>
#include <QStyleFactory>

#include <cstdlib>

namespace {
QIcon applicationIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icon-%1.png").arg(size), QSize(size, size));
    return icon;
}

// A mapping in the settings file's section "PORTS" (key "COM3", value a
// device path) names the device of a port; otherwise the platform's naming
// applies. It is read at every opening, so an edit needs no restart.
QString deviceForPort(const Module1 &settings, int port)
{
    const QString mapped
        = settings.IniReadKey(QStringLiteral("PORTS"), QStringLiteral("COM%1").arg(port)).trimmed();
    return mapped.isEmpty() ? QtSerialControl::defaultDeviceForPort(port) : mapped;
}
} // namespace

int main(int argc, char *argv[])
{
    WindApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("wind-condition"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(applicationIcon());
    mapDesignFonts();

    Module1 settings(QApplication::applicationDirPath(),
                     QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
    auto serial = std::make_unique<QtSerialControl>(
        [&settings](int port) { return deviceForPort(settings, port); });
    frmMain window(settings, std::move(serial));

    // A logout, a shutdown or a kill closes the window exactly as the user
    // would, so the settings are written; a message box or dialog open at
    // that moment is closed too, so nothing holds the process. Before the
    // window has loaded, this only ends the start-up error box.
    SignalWatcher signalWatcher;
    QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested, &window, [&window] {
        if (window.AppRunning)
            window.close();
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && widget->isModal())
                widget->close();
        }
        QCoreApplication::quit();
    });

    try {
        window.Form_Initialize();
        window.Form_Load();
    } catch (const AppError &error) {
        showMessage(nullptr, applicationTitle(), error.description(), MessageIcon::Error);
        return EXIT_FAILURE;
    }

    window.move(window.screen()->availableGeometry().center() - window.rect().center());
    window.show();
    return app.exec();
}
