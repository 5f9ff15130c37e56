// SPDX-License-Identifier: MIT
// "Set Zero Direction…" on the real window: the question it asks, and what
// each answer writes into the settings file and does to the next reading.

#include "../sensorframes.h"
#include "windowfixture.h"

#include "app/zerodirection.h"

#include <QAbstractButton>
#include <QAction>
#include <QMessageBox>

class tst_ZeroDirection : public QObject
{
    Q_OBJECT

private slots:
    void answerWritesTheOffset_data();
    void answerWritesTheOffset();
};

void tst_ZeroDirection::answerWritesTheOffset_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<QByteArray>("written"); // the [SENSOR] lines after the answer
    QTest::addColumn<double>("next"); // the direction the next frame of 37 degrees shows

    const QByteArray before = "[SENSOR]\r\nDirectionOffset=5\r\n";
    QTest::newRow("OK: what the vane reports now reads 0")
        << QMessageBox::Ok << QByteArray("[SENSOR]\r\nDirectionOffset=-37\r\n") << 0.0;
    QTest::newRow("Reset: no offset")
        << QMessageBox::Reset << QByteArray("[SENSOR]\r\nDirectionOffset=0\r\n") << 37.0;
    QTest::newRow("Cancel: nothing changes") << QMessageBox::Cancel << before << 42.0;
}

void tst_ZeroDirection::answerWritesTheOffset()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(QByteArray, written);
    QFETCH(double, next);
    const QByteArray kept = settingsFile("False", "0", "0") + "; the owner's note\r\n";
    WindowFixture fixture(kept + "[SENSOR]\r\nDirectionOffset=5\r\n");
    ZeroDirection zero(fixture.settings, *fixture.feed, *fixture.window);
    fixture.start();
    // As the input hands the feed the section it read at start.
    fixture.feed->setCorrections({5, 1});
    QVERIFY(!zero.action()->isEnabled());

    fixture.listenWhile({[&] {
        fixture.line->feed(sensorFrame("A,37,5"));
    }});
    QCOMPARE(fixture.feed->directionDegrees(), 42.0);
    QVERIFY(zero.action()->isEnabled());
    zero.action()->trigger();
    QVERIFY(zero.dialog());
    // It shows what the vane reports, not what the window shows.
    QVERIFY2(zero.dialog()->text().contains(QStringLiteral("37.0°")),
             qPrintable(zero.dialog()->text()));
    zero.dialog()->button(answer)->click();
    QTRY_VERIFY(!zero.dialog());

    QCOMPARE(fixture.readSettings(), kept + written);
    fixture.line->feed(sensorFrame("A,37,5"));
    QTRY_COMPARE(fixture.feed->directionDegrees(), next);
    QVERIFY2(fixture.messages.isEmpty(), qPrintable(fixture.messageTexts().join(u'\n')));
}

QTEST_MAIN(tst_ZeroDirection)
#include "tst_zerodirection.moc"
