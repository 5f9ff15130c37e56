#pragma once

#include "shell/controlarray.h"

#include <QDialog>

class FrameBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SerialControl;

// The serial port dialog: shows the serial control's port number and writes
// a valid new one back. It keeps no state of its own.
class Form1 : public QDialog
{
    Q_OBJECT

public:
    Form1(SerialControl &serial, QWidget *owner);

    // Loads the dialog afresh and runs it modally until it closes.
    void showModal();

    void Form_Load();
    void Command1_Click(int index);

    ControlArray<QPushButton> Command1{QStringLiteral("Command1")};
    ControlArray<FrameBox> Frame1{QStringLiteral("Frame1")};
    ControlArray<QLabel> Label1{QStringLiteral("Label1")};
    ControlArray<QLineEdit> Text1{QStringLiteral("Text1")};

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    SerialControl &m_serial;
};

// The checks of the OK button, free of any window. An empty message means
// the text names a valid port.
struct PortChoice
{
    QString message;
    qint16 port = 0;
};
PortChoice choosePort(const QString &text, const QLocale &locale);
