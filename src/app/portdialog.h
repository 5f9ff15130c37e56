// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

class FrameBox;
class QLabel;
class QLineEdit;
class QPushButton;
class WindFeed;

// The serial port dialog: shows the feed's port number and gives it a valid
// new one. It keeps no state of its own.
class PortDialog : public QDialog
{
    Q_OBJECT

public:
    PortDialog(WindFeed &feed, QWidget *owner);

    // Loads the dialog afresh and runs it modally until it closes.
    void showModal();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    friend class WindowFixture;

    // Shows the current port number.
    void loadPortNumber();
    // Applies a valid port number and closes; otherwise tells what is wrong
    // and stays open with the text as typed.
    void confirm();

    WindFeed &m_feed;
    QPushButton *m_okButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    FrameBox *m_portFrame = nullptr; // holds the label and the number
    QLabel *m_portLabel = nullptr; // "Serial Port Number"
    QLineEdit *m_portNumberEdit = nullptr; // the port number as typed
};
