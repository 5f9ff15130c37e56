#include "historymenu.h"

#include "historywindow.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

QAction *addWindHistoryAction(QWidget &mainWindow, HistoryWindow &history)
{
    auto *action = new QAction(QStringLiteral("Wind History…"), &mainWindow);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, &history, &HistoryWindow::showAndRaise);
    mainWindow.addAction(action);

    // QMenu::exec() would run a loop of its own and hold up the listening
    // loop, which yields through the event loop below it; popup() does not.
    mainWindow.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&mainWindow, &QWidget::customContextMenuRequested, &mainWindow,
                     [&mainWindow](const QPoint &position) {
                         auto *menu = new QMenu(&mainWindow);
                         menu->setAttribute(Qt::WA_DeleteOnClose);
                         menu->addActions(mainWindow.actions());
                         menu->popup(mainWindow.mapToGlobal(position));
                     });
    return action;
}

