#include "messages.h"

#include <QMessageBox>

namespace {
MessagePresenter &presenter()
{
    static MessagePresenter s_presenter;
    return s_presenter;
}

ColourScheme s_colourScheme = ColourScheme::Day;

void colourIcon(QMessageBox &box)
{
    if (s_colourScheme == ColourScheme::Night)
        box.setIconPixmap(
            QPixmap::fromImage(nightPicture(box.iconPixmap().toImage(), NightRed::Bright)));
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
    colourIcon(box);
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
    colourIcon(*box);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}
