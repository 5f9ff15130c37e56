// SPDX-License-Identifier: MIT
#pragma once

#include "core/apperror.h"

#include <QApplication>

#include <functional>

// The one place where an error that no routine handled ends up: it shows the
// description in the application's error box and ends the process with a
// non-zero status. Tests install their own handler to observe it.
using FatalErrorHandler = std::function<void(const QString &description)>;

void reportFatalError(const QString &description);
FatalErrorHandler setFatalErrorHandler(FatalErrorHandler handler);

// Runs an event handler so that no exception ever crosses Qt's event loop.
template<class Handler> void guarded(Handler &&handler) noexcept
{
    try {
        handler();
    } catch (const AppError &error) {
        reportFatalError(error.description());
    } catch (const std::exception &error) {
        reportFatalError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        reportFatalError(QStringLiteral("Unknown error"));
    }
}

// The application object: a last net under every event delivery, for
// handlers that Qt itself calls (paint, resize, ...). It also drives the
// application's animations at 30 ticks a second.
class WindApplication : public QApplication
{
    Q_OBJECT

public:
    WindApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
