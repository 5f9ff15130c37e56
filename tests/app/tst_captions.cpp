// SPDX-License-Identifier: MIT
// Every caption of both windows must fit its control in the font the control
// really uses; a clipped "Serial Port Numbe" is easy to miss by eye.

#include "windowfixture.h"

#include "app/portdialog.h"
#include "widgets/framebox.h"
#include "widgets/windowfont.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QTest>

namespace {

// The width a control gives its text.
int roomForText(QWidget *control)
{
    if (auto *button = qobject_cast<QPushButton *>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        return button->style()
            ->subElementRect(QStyle::SE_PushButtonContents, &option, button)
            .width();
    }
    if (auto *frame = qobject_cast<FrameBox *>(control))
        return frame->width() - 2 * FrameBox::CaptionInset;
    return control->contentsRect().width();
}

QString captionOf(QWidget *control)
{
    if (auto *button = qobject_cast<QPushButton *>(control))
        return button->text();
    if (auto *frame = qobject_cast<FrameBox *>(control))
        return frame->caption();
    if (auto *label = qobject_cast<QLabel *>(control))
        return label->text();
    return {};
}

} // namespace

class tst_Captions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void captionFitsItsControl_data();
    void captionFitsItsControl();

private:
    std::unique_ptr<WindowFixture> m_fixture;
    std::unique_ptr<PortDialog> m_dialog;
};

void tst_Captions::initTestCase()
{
    // As the application sets itself up.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    substituteWindowFonts();
    m_fixture = std::make_unique<WindowFixture>();
    m_dialog = std::make_unique<PortDialog>(*m_fixture->feed, m_fixture->window.get());
}

void tst_Captions::captionFitsItsControl_data()
{
    QTest::addColumn<QWidget *>("control");
    QTest::addColumn<QString>("caption");

    // The scale rows are wider than the frame that clips them and print
    // texts no font of their size could fit; they are left out.
    const WindowFixture &fixture = *m_fixture;
    const WindWindow &window = *fixture.window;
    const QList<QLabel *> scaleRows = fixture.controls().scaleFrame->findChildren<QLabel *>();
    // The dialog is the window's child: its controls are among the window's.
    for (QWidget *control : window.findChildren<QWidget *>()) {
        const QString caption = captionOf(control);
        if (caption.isEmpty() || scaleRows.contains(qobject_cast<QLabel *>(control)))
            continue;
        QTest::addRow("%s \"%s\"", control->metaObject()->className(), qPrintable(caption))
            << control << caption;
    }
    // Captions the buttons take on while the application runs.
    QTest::newRow("listen button while listening")
        << static_cast<QWidget *>(fixture.controls().listenButton)
        << QStringLiteral("Stop listening Serial Port");
    QTest::newRow("example mode button while on")
        << static_cast<QWidget *>(fixture.controls().exampleModeButton)
        << QStringLiteral("Stop Example Mode");
}

void tst_Captions::captionFitsItsControl()
{
    QFETCH(QWidget *, control);
    QFETCH(QString, caption);
    const int needed = QFontMetrics(control->font()).horizontalAdvance(caption);
    QVERIFY2(needed <= roomForText(control),
             qPrintable(QStringLiteral("needs %1 px, has %2 px in %3")
                            .arg(needed)
                            .arg(roomForText(control))
                            .arg(QFontInfo(control->font()).family())));
}

QTEST_MAIN(tst_Captions)
#include "tst_captions.moc"
