// SPDX-License-Identifier: MIT
#pragma once

#include "widgets/colourscheme.h"

#include <QString>

#include <functional>

class QWidget;

// Modal message boxes with one OK button. Tests replace the presenter to
// record what would have been shown instead of blocking on a dialog.
enum class MessageIcon { Information, Error };

using MessagePresenter
    = std::function<void(QWidget *parent, const QString &title, const QString &text, MessageIcon)>;

void showMessage(QWidget *parent, const QString &title, const QString &text, MessageIcon icon);
// Returns the previous presenter; an empty function restores the real boxes.
MessagePresenter setMessagePresenter(MessagePresenter presenter);

// The application's title, which its message boxes carry.
inline QString applicationTitle()
{
    return QStringLiteral("Zorvane");
}

// The same box, shown without waiting for it to be closed: the caller goes on
// at once, so a display fed from a loop keeps running while the box is open.
void showMessageWithoutWaiting(QWidget *parent, const QString &title, const QString &text,
                               MessageIcon icon);

// The colours of the boxes shown from now on. The application's palette
// colours a box; this colours its pictures too.
void setMessageColourScheme(ColourScheme scheme);
