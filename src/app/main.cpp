// SPDX-License-Identifier: MIT
#include "alarmaddon.h"
#include "commandline.h"
#include "errorguard.h"
#include "historyaddon.h"
#include "messages.h"
#include "mqttsharing.h"
#include "nightcolours.h"
#include "windinput.h"
#include "windsharing.h"
#include "windwindow.h"

#include "core/settingsfile.h"
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
    WindWindow window(settings, [&input](int port) { return input.makeLink(port); });

    // Records from the first sample, whether or not the history window is
    // ever opened.
    HistoryAddOn history(window, settings, &input);
    // Watches from the first sample; without an [ALARM] section it is idle.
    AlarmAddOn alarms(window, settings, history);
    NightColours night(window, settings, history.historyWindow());

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

    QStringList problems;
    try {
        window.readSettings();
        history.startDataLog();
        problems << alarms.start() << night.start(request.night);
        window.start();
    } catch (const AppError &error) {
        showMessage(nullptr, applicationTitle(), error.description(), MessageIcon::Error);
        return EXIT_FAILURE;
    }

    window.move(window.screen()->availableGeometry().center() - window.rect().center());
    window.show();

    // A section that cannot be used is told once, over the running display.
    const auto tellOnce = [&window](const QString &problem) {
        if (problem.isEmpty())
            return;
        QTimer::singleShot(0, &window, [&window, problem] {
            showMessage(&window, applicationTitle(), problem, MessageIcon::Error);
        });
    };
    for (const QString &problem : std::as_const(problems))
        tellOnce(problem);
    tellOnce(input.readSettings());
    WindSharing sharing(settings, window);
    tellOnce(sharing.start());
    MqttSharing mqtt(settings, window, history.recorder());
    QObject::connect(&mqtt, &MqttSharing::statusChanged, &history.historyWindow(),
                     &HistoryWindow::setMqttStatus);
    QObject::connect(&mqtt, &MqttSharing::problem, &window, [&window](const QString &text) {
        showMessageWithoutWaiting(&window, applicationTitle(), text, MessageIcon::Error);
    });
    tellOnce(mqtt.start());
    if (request.openHistory)
        history.historyWindow().showAndRaise();
    return app.exec();
}
