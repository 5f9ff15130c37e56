// SPDX-License-Identifier: MIT
#include "messages.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace {
MessagePresenter &presenter()
{
    static MessagePresenter s_presenter;
    return s_presenter;
}

ColourScheme s_colourScheme = ColourScheme::Day;

// The palette colours a box; its pictures (the icon, and where the desktop
// gives buttons pictures, the OK button's) are coloured here.
void colourPictures(QMessageBox &box)
{
    if (s_colourScheme != ColourScheme::Night)
        return;
    box.setIconPixmap(
        QPixmap::fromImage(nightPicture(box.iconPixmap().toImage(), NightRed::Bright)));
    for (QAbstractButton *button : box.buttons()) {
        if (!button->icon().isNull())
            button->setIcon(QPixmap::fromImage(
                nightPicture(button->icon().pixmap(button->iconSize()).toImage())));
    }
}
} // namespace

void setMessageColourScheme(ColourScheme scheme)
{
    s_colourScheme = scheme;
}

void showMessage(QWidget *parent, const QString &title, const QString &text, MessageIcon icon)
{
    if (presenter()) {
        presenter()(parent, title, text, icon);
        return;
    }
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                    title, text, QMessageBox::Ok, parent);
    colourPictures(box);
    box.exec();
}

MessagePresenter setMessagePresenter(MessagePresenter replacement)
{
    return std::exchange(presenter(), std::move(replacement));
}

void showMessageWithoutWaiting(QWidget *parent, const QString &title, const QString &text,
                               MessageIcon icon)
{
    if (presenter()) {
        presenter()(parent, title, text, icon);
        return;
    }
    auto *box = new QMessageBox(icon == MessageIcon::Error ? QMessageBox::Critical
                                                           : QMessageBox::Information,
                                title, text, QMessageBox::Ok, parent);
    colourPictures(*box);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}
