// SPDX-License-Identifier: MIT
#include "windowfixture.h"

#include "app/portdialog.h"
#include "core/portchoice.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class tst_PortDialog : public QObject
{
    Q_OBJECT

private slots:
    void choosePortChecks_data();
    void choosePortChecks();
    void okAppliesAValidPortAndCloses_data();
    void okAppliesAValidPortAndCloses();
    void cancelLeavesThePort();
    void dialogOpensModallyFromTheWindowAndIsReused();
    void enterActsOnTheFocusedButtonOnly_data();
    void enterActsOnTheFocusedButtonOnly();
};

void tst_PortDialog::choosePortChecks_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("port");

    const QLocale point(QLocale::English, QLocale::UnitedStates);
    const QLocale comma(QLocale::German, QLocale::Germany);
    const QString notValid = QStringLiteral("Serial Port Entered Not Valid");
    const QString outOfLimits = QStringLiteral("Serial Port Entered Out of Limits");

    QTest::newRow("3") << point << "3" << QString() << 3;
    QTest::newRow("9") << point << "9" << QString() << 9;
    QTest::newRow("blanks around 4") << point << " 4 " << QString() << 4;
    QTest::newRow("2.5 rounds to even") << point << "2.5" << QString() << 2;
    QTest::newRow("3.5 rounds to even") << point << "3.5" << QString() << 4;
    QTest::newRow("9.4") << point << "9.4" << QString() << 9;
    QTest::newRow("9.6 is below ten") << point << "9.6" << QString() << 10;
    QTest::newRow("exponent") << point << "4e0" << QString() << 4;
    QTest::newRow("0") << point << "0" << outOfLimits << 0;
    QTest::newRow("0.3 would be port 0") << point << "0.3" << outOfLimits << 0;
    QTest::newRow("0.5 rounds to port 0") << point << "0.5" << outOfLimits << 0;
    QTest::newRow("0.51 is port 1") << point << "0.51" << QString() << 1;
    QTest::newRow("nan is no number") << point << "nan" << notValid << 0;
    QTest::newRow("inf is no number") << point << "inf" << notValid << 0;
    QTest::newRow("10") << point << "10" << outOfLimits << 0;
    QTest::newRow("-2") << point << "-2" << outOfLimits << 0;
    QTest::newRow("12") << point << "12" << outOfLimits << 0;
    QTest::newRow("empty") << point << "" << notValid << 0;
    QTest::newRow("abc") << point << "abc" << notValid << 0;
    QTest::newRow("comma under a point locale") << point << "2,5" << notValid << 0;
    QTest::newRow("comma locale 2,5") << comma << "2,5" << QString() << 2;
    QTest::newRow("comma locale 3,5") << comma << "3,5" << QString() << 4;
    QTest::newRow("point under a comma locale") << comma << "3.5" << notValid << 0;
    QTest::newRow("comma locale 0,4") << comma << "0,4" << outOfLimits << 0;
    QTest::newRow("comma locale 0,5") << comma << "0,5" << outOfLimits << 0;
}

void tst_PortDialog::choosePortChecks()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(int, port);

    const PortChoice choice = choosePort(text, locale);
    QCOMPARE(choice.message, message);
    if (message.isEmpty())
        QCOMPARE(int(choice.port), port);
}

void tst_PortDialog::okAppliesAValidPortAndCloses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("port");
    QTest::newRow("valid") << "5" << true << 5;
    QTest::newRow("out of limits") << "12" << false << 3;
    QTest::newRow("not a number") << "x" << false << 3;
}

void tst_PortDialog::okAppliesAValidPortAndCloses()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(int, port);

    WindowFixture fixture;
    fixture.state().portNumber = 3;
    PortDialog dialog(*fixture.feed, nullptr);
    WindowFixture::loadPortNumber(dialog);
    QCOMPARE(WindowFixture::portNumberEdit(dialog)->text(), QStringLiteral("3"));
    WindowFixture::portNumberEdit(dialog)->setText(text);
    WindowFixture::okButton(dialog)->click();

    QCOMPARE(int(fixture.state().portNumber), port);
    QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
    QCOMPARE(fixture.messages.size(), accepted ? 0 : 1);
    if (!accepted) {
        QCOMPARE(fixture.messages[0].title, QStringLiteral("Port Error!"));
        QCOMPARE(fixture.messages[0].icon, MessageIcon::Error);
        QCOMPARE(WindowFixture::portNumberEdit(dialog)->text(), text);
    }
}

void tst_PortDialog::cancelLeavesThePort()
{
    WindowFixture fixture;
    fixture.state().portNumber = 3;
    PortDialog dialog(*fixture.feed, nullptr);
    WindowFixture::loadPortNumber(dialog);
    WindowFixture::portNumberEdit(dialog)->setText(QStringLiteral("6"));
    WindowFixture::cancelButton(dialog)->click();
    QCOMPARE(fixture.state().portNumber, qint16(3));
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void tst_PortDialog::dialogOpensModallyFromTheWindowAndIsReused()
{
    WindowFixture fixture(settingsFile("False", "1", "1", "2"));
    fixture.start();
    WindWindow &window = *fixture.window;
    window.show();

    QString shownPort;
    Qt::WindowModality modality = Qt::NonModal;
    QWidget *focused = nullptr;
    const auto answer = [&](const QString &newPort) {
        QTimer::singleShot(50, &window, [&, newPort] {
            auto *dialog = qobject_cast<PortDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            shownPort = WindowFixture::portNumberEdit(*dialog)->text();
            modality = dialog->windowModality();
            focused = dialog->focusWidget();
            WindowFixture::portNumberEdit(*dialog)->setText(newPort);
            WindowFixture::okButton(*dialog)->click();
        });
    };
    answer(QStringLiteral("4"));
    fixture.controls().portButton->click();
    QCOMPARE(shownPort, QStringLiteral("2"));
    QCOMPARE(modality, Qt::ApplicationModal);
    PortDialog *first = fixture.portDialog();
    QVERIFY(first);
    QCOMPARE(focused, WindowFixture::okButton(*first));
    QCOMPARE(fixture.state().portNumber, qint16(4));

    answer(QStringLiteral("7"));
    fixture.controls().portButton->click();
    QCOMPARE(shownPort, QStringLiteral("4"));
    QCOMPARE(fixture.portDialog(), first);
    QCOMPARE(fixture.state().portNumber, qint16(7));
}

void tst_PortDialog::enterActsOnTheFocusedButtonOnly_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("focus"); // button index, or -1 for the text box
    QTest::addColumn<bool>("closed");
    QTest::addColumn<int>("port");

    QTest::newRow("Enter on OK") << int(Qt::Key_Return) << 0 << true << 6;
    QTest::newRow("keypad Enter on Cancel") << int(Qt::Key_Enter) << 1 << true << 3;
    QTest::newRow("Enter in the text box") << int(Qt::Key_Return) << -1 << false << 3;
    QTest::newRow("Escape on OK") << int(Qt::Key_Escape) << 0 << false << 3;
}

void tst_PortDialog::enterActsOnTheFocusedButtonOnly()
{
    QFETCH(int, key);
    QFETCH(int, focus);
    QFETCH(bool, closed);
    QFETCH(int, port);

    WindowFixture fixture;
    fixture.state().portNumber = 3;
    PortDialog dialog(*fixture.feed, nullptr);
    WindowFixture::loadPortNumber(dialog);
    WindowFixture::portNumberEdit(dialog)->setText(QStringLiteral("6"));
    dialog.show();
    // Without a window manager (a bare X server) nothing activates a new
    // window; key events go to the active one.
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QWidget *target = focus < 0 ? static_cast<QWidget *>(WindowFixture::portNumberEdit(dialog))
        : focus == 0            ? WindowFixture::okButton(dialog)
                                : WindowFixture::cancelButton(dialog);
    target->setFocus();
    QTest::keyClick(target, Qt::Key(key));
    QCOMPARE(!dialog.isVisible(), closed);
    QCOMPARE(int(fixture.state().portNumber), port);
}

QTEST_MAIN(tst_PortDialog)
#include "tst_portdialog.moc"
