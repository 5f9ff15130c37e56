// SPDX-License-Identifier: MIT
#include "alarmaddon.h"
#include "commandline.h"
#include "errorguard.h"
#include "historyaddon.h"
#include "messages.h"
#include "nightcolours.h"
#include "windwindow.h"
#include "zerodirection.h"

#include "core/settingsfile.h"
#include "feed/mqttsharing.h"
#include "feed/windfeed.h"
#include "feed/windinput.h"
#include "feed/windsharing.h"
#include "platform/signalwatcher.h"
#include "platform/windlink.h"
#include "widgets/pngpicture.h"
#include "widgets/windowfont.h"

#include <QIcon>
#include <QScreen>
#include <QStyleFactory>
#include <QTimer>

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
    describeApplication();
    StartRequest request;
    if (const std::optional<int> status = runCommandLine(argc, argv, request))
        return *status;
    WindApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(applicationIcon());
    substituteWindowFonts();

    SettingsFile settings = SettingsFile::forThisApplication();
    WindInput input(settings);
    WindFeed feed([&input](int port) { return input.makeLink(port); });
    WindWindow window(settings, feed);

    // Each records, shares or shows from the first reading on; without its
    // section in the settings file each stays idle.
    HistoryAddOn history(settings, feed, window);
    AlarmAddOn alarms(
        settings, feed, window,
        [&window](CompassWidget::Ring ring, const QString &description) {
            window.showAlarms(ring, description);
        },
        history);
    NightColours night(settings, window, history.historyWindow(), request.night);
    ZeroDirection zeroDirection(settings, feed, window);
    WindSharing sharing(settings, feed);
    MqttSharing mqtt(settings, feed, history.recorder());
    QObject::connect(&mqtt, &MqttSharing::statusChanged, &history.historyWindow(),
                     &HistoryWindow::setMqttStatus);
    QObject::connect(&mqtt, &MqttSharing::problem, &window, [&window](const QString &text) {
        showMessageWithoutWaiting(&window, applicationTitle(), text, MessageIcon::Error);
    });

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

    // The data log starts before the alarms, which keep their log beside it.
    AddOn *const addOns[] = {&history, &alarms, &night, &sharing, &mqtt};
    QStringList problems;
    try {
        window.readSettings();
        problems << input.readSettings();
        input.configure(feed);
        for (AddOn *addOn : addOns)
            problems << addOn->start();
        window.start();
    } catch (const AppError &error) {
        showMessage(nullptr, applicationTitle(), error.description(), MessageIcon::Error);
        return EXIT_FAILURE;
    }

    window.move(window.screen()->availableGeometry().center() - window.rect().center());
    window.show();

    // A section that cannot be used is told once, over the running display.
    for (const QString &problem : std::as_const(problems)) {
        QTimer::singleShot(0, &window, [&window, problem] {
            showMessage(&window, applicationTitle(), problem, MessageIcon::Error);
        });
    }
    if (request.openHistory)
        history.historyWindow().showAndRaise();
    return app.exec();
}
