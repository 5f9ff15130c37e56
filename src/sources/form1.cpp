#include "form1.h"

#include "display/numberformat.h"
#include "platform/apperror.h"
#include "platform/serialcontrol.h"
#include "shell/designfont.h"
#include "shell/errorguard.h"
#include "shell/framebox.h"
#include "shell/messages.h"
#include "shell/twips.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

PortChoice choosePort(const QString &text, const QLocale &locale)
{
    double value = 0;
    try {
        value = readShownNumber(text, locale);
    } catch (const AppError &) {
        return {QStringLiteral("Serial Port Entered Not Valid")};
    }
    // Halves round to the even neighbour, so up to 0.5 the value would name
    // port 0, which does not exist.
    const double port = std::nearbyint(value);
    if (!(value > 0 && value < 10) || port == 0)
        return {QStringLiteral("Serial Port Entered Out of Limits")};
    return {QString(), static_cast<qint16>(port)};
}

Form1::Form1(SerialControl &serial, QWidget *owner)
    : QDialog(owner)
    , m_serial(serial)
{
    setWindowTitle(QStringLiteral("Configure Serial Port "));
    setWindowIcon(QApplication::windowIcon());
    setFixedSize(twipsToPixels(3465), twipsToPixels(2625));
    // The controls' sizes were made for the design's default font; the
    // platform's own is wider and would clip the label.
    setFont(designDefaultFont());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *frame = new FrameBox(QString(), this);
    frame->setGeometry(twipRect(120, 120, 3255, 855));
    Frame1.add(0, frame);
    auto *label = new QLabel(QStringLiteral("Serial Port Number"), frame);
    label->setGeometry(twipRect(360, 360, 1575, 375));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1.add(0, label);
    auto *portText = new QLineEdit(QStringLiteral("Text1"), frame);
    portText->setGeometry(twipRect(2280, 300, 495, 375));
    Text1.add(0, portText);

    const QString captions[] = {QStringLiteral("OK"), QStringLiteral("Cancel")};
    const int lefts[] = {120, 1800};
    for (int index = 0; index < 2; ++index) {
        auto *button = new QPushButton(captions[index], this);
        button->setGeometry(twipRect(lefts[index], 2040, 1575, 495));
        // Neither button is the default: Enter acts on the focused one only.
        button->setAutoDefault(false);
        button->setDefault(false);
        connect(button, &QPushButton::clicked, this,
                [this, index] { guarded([this, index] { Command1_Click(index); }); });
        Command1.add(index, button);
    }
    setTabOrder(Command1[0], Text1[0]);
    setTabOrder(Text1[0], Command1[1]);
}

void Form1::showModal()
{
    Form_Load();
    Command1[0]->setFocus();
    exec();
}

void Form1::Form_Load()
{
    Text1[0]->setText(QString::number(m_serial.CommPort()));
}

void Form1::Command1_Click(int index)
{
    if (index == 1) {
        reject();
        return;
    }
    const PortChoice choice = choosePort(Text1[0]->text(), QLocale());
    if (!choice.message.isEmpty()) {
        showMessage(this, QStringLiteral("Port Error!"), choice.message, MessageIcon::Error);
        return;
    }
    m_serial.setCommPort(choice.port);
    accept();
}

void Form1::keyPressEvent(QKeyEvent *event)
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
        for (int index : Command1.indexes()) {
            if (Command1[index]->hasFocus()) {
                Command1[index]->click();
                event->accept();
                return;
            }
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
