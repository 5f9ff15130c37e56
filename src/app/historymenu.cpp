// SPDX-License-Identifier: MIT
#include "historymenu.h"

#include "historywindow.h"

#include <QAction>
#include <QLineEdit>
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
    // A text box answers a right-click with its own editing menu and keeps
    // it from the window; with no menu of its own it passes the click on.
    for (QLineEdit *box : mainWindow.findChildren<QLineEdit *>())
        box->setContextMenuPolicy(Qt::NoContextMenu);
    QObject::connect(&mainWindow, &QWidget::customContextMenuRequested, &mainWindow,
                     [&mainWindow](const QPoint &position) {
                         auto *menu = new QMenu(&mainWindow);
                         menu->setAttribute(Qt::WA_DeleteOnClose);
                         menu->addActions(mainWindow.actions());
                         menu->popup(mainWindow.mapToGlobal(position));
                     });
    return action;
}
