#include "messages.h"

#include <QMessageBox>

namespace {
MessagePresenter &presenter()
{
    static MessagePresenter s_presenter;
    return s_presenter;
}
} // namespace

void showMessage(QWidget *parent, const QString &title, const QString &text, MessageIcon icon)
{
    if (presenter()) {
        presenter()(parent, title, text, icon);
        return;
    }
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                    title, text, QMessageBox::Ok, parent);
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
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}
