#include "errorguard.h"
#include "messages.h"
#include "windwindow.h"

#include "core/settingsfile.h"
#include "platform/portdevice.h"
#include "platform/qtserialcontrol.h"
#include "platform/signalwatcher.h"
#include "widgets/pngpicture.h"
#include "widgets/windowfont.h"

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
        icon.addPixmap(loadPngPicture(QStringLiteral(":/icon-%1.png").arg(size)));
    return icon;
}
} // namespace

int main(int argc, char *argv[])
{
    WindApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("wind-condition"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(applicationIcon());
    substituteWindowFonts();

    SettingsFile settings(QApplication::applicationDirPath(),
                          QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
    auto serial = std::make_unique<QtSerialControl>(
        [&settings](int port) { return deviceForPort(settings, port); });
    WindWindow window(settings, std::move(serial));

    // A logout, a shutdown or a kill closes the window exactly as the user
    // would, so the settings are written; a message box or dialog open at
    // that moment is closed too, so nothing holds the process. Before the
    // window has started, this only ends the start-up error box.
    SignalWatcher signalWatcher;
    QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested, &window, [&window] {
        if (window.isRunning())
            window.close();
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && widget->isModal())
                widget->close();
        }
        QCoreApplication::quit();
    });

    try {
        window.readSettings();
        window.start();
    } catch (const AppError &error) {
        showMessage(nullptr, applicationTitle(), error.description(), MessageIcon::Error);
        return EXIT_FAILURE;
    }

    window.move(window.screen()->availableGeometry().center() - window.rect().center());
    window.show();
    return app.exec();
}
