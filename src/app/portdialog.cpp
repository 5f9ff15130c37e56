// SPDX-License-Identifier: MIT
#include "portdialog.h"

#include "errorguard.h"
#include "messages.h"

#include "core/portchoice.h"
#include "feed/windfeed.h"
#include "widgets/framebox.h"
#include "widgets/twips.h"
#include "widgets/windowfont.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

PortDialog::PortDialog(WindFeed &feed, QWidget *owner)
    : QDialog(owner)
    , m_feed(feed)
{
    setWindowTitle(QStringLiteral("Configure Serial Port "));
    setWindowIcon(QApplication::windowIcon());
    setFixedSize(twipsToPixels(3465), twipsToPixels(2625));
    // The controls' sizes were made for the windows' 8.25 pt sans; the
    // platform's default font is wider and would clip the label.
    setFont(defaultWindowFont());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_portFrame = new FrameBox(QString(), this);
    m_portFrame->setGeometry(twipRect(120, 120, 3255, 855));
    m_portLabel = new QLabel(QStringLiteral("Serial Port Number"), m_portFrame);
    m_portLabel->setGeometry(twipRect(360, 360, 1575, 375));
    m_portLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_portNumberEdit = new QLineEdit(m_portFrame);
    m_portNumberEdit->setGeometry(twipRect(2280, 300, 495, 375));

    const auto makeButton = [this](const QString &caption, int left) {
        auto *button = new QPushButton(caption, this);
        button->setGeometry(twipRect(left, 2040, 1575, 495));
        // Neither button is the default: Enter acts on the focused one only.
        button->setAutoDefault(false);
        button->setDefault(false);
        return button;
    };
    m_okButton = makeButton(QStringLiteral("OK"), 120);
    m_cancelButton = makeButton(QStringLiteral("Cancel"), 1800);
    connect(m_okButton, &QPushButton::clicked, this, [this] { guarded([this] { confirm(); }); });
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    setTabOrder(m_okButton, m_portNumberEdit);
    setTabOrder(m_portNumberEdit, m_cancelButton);

    // The names a form designer gave the controls, for a widget
    // inspector.
    const std::pair<QObject *, const char *> names[] = {
        {m_okButton, "Command1_0"}, {m_cancelButton, "Command1_1"}, {m_portFrame, "Frame1_0"},
        {m_portLabel, "Label1_0"},  {m_portNumberEdit, "Text1_0"},
    };
    for (const auto &[control, name] : names)
        control->setObjectName(QLatin1String(name));
}

void PortDialog::showModal()
{
    loadPortNumber();
    m_okButton->setFocus();
    exec();
}

void PortDialog::loadPortNumber()
{
    m_portNumberEdit->setText(QString::number(m_feed.portNumber()));
}

void PortDialog::confirm()
{
    const PortChoice choice = choosePort(m_portNumberEdit->text(), QLocale());
    if (!choice.message.isEmpty()) {
        showMessage(this, QStringLiteral("Port Error!"), choice.message, MessageIcon::Error);
        return;
    }
    m_feed.setPortNumber(choice.port);
    accept();
}

void PortDialog::keyPressEvent(QKeyEvent *event)
{
    // Escape does nothing here: only Cancel and the close box cancel.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    // Neither button is the default, yet Enter acts on the one that has the
    // focus, as Space does; in the text box it does nothing.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter) {
        for (QPushButton *button : {m_okButton, m_cancelButton}) {
            if (button->hasFocus()) {
                button->click();
                break;
            }
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
