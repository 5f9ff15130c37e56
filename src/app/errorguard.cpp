// SPDX-License-Identifier: MIT
#include "errorguard.h"

#include "messages.h"

#include "core/logcategories.h"
#include "widgets/animationdriver.h"

#include <cstdio>
#include <cstdlib>

namespace {
FatalErrorHandler &handler()
{
    static FatalErrorHandler s_handler;
    return s_handler;
}
} // namespace

void reportFatalError(const QString &description)
{
    if (handler()) {
        handler()(description);
        return;
    }
    qCCritical(windApp).noquote() << description;
    showMessage(nullptr, applicationTitle(), description, MessageIcon::Error);
    // The error may have struck deep inside a nested loop; unwinding through
    // Qt is not safe, so the process ends here.
    std::fflush(nullptr);
    std::_Exit(EXIT_FAILURE);
}

FatalErrorHandler setFatalErrorHandler(FatalErrorHandler replacement)
{
    return std::exchange(handler(), std::move(replacement));
}

WindApplication::WindApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    // The compass arrow is repainted about 30 times a second as it turns, so
    // its animation need not wake the event loop, and the listening loop
    // with it, every 16 ms.
    (new AnimationDriver(std::chrono::milliseconds(30), this))->install();
}

bool WindApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    guarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
