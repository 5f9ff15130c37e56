// SPDX-License-Identifier: MIT
#include "windowfixture.h"

#include "../sensorframes.h"
#include "widgets/clockwidget.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <functional>
#include <termios.h>
#include <unistd.h>

class tst_Listening : public QObject
{
    Q_OBJECT

private slots:
    void framesReachTheDisplayUntilStopped();
    void startingSwitchesExampleModeOff();
    void exampleModeSwitchedOnStopsListening();
    void stopAndStartAgain();
    void windowClosedWhileListening();
    void portThatCannotBeOpenedHalts();
    void mismatchIsRejectedAndNextMatchShown();
    void lineAccidentsDoNotHalt_data();
    void lineAccidentsDoNotHalt();
    void readingsGoStaleAndComeBack();
    void lostLineIsWaitedForOnlyWhenAsked_data();
    void lostLineIsWaitedForOnlyWhenAsked();
    void acceptedFramesAreAnnouncedAsSamples();
    void loneChecksumDigitShownOnceTheLineIsQuiet_data();
    void loneChecksumDigitShownOnceTheLineIsQuiet();
    void realSerialPortOnAPseudoTerminal_data();
    void realSerialPortOnAPseudoTerminal();
};

void tst_Listening::framesReachTheDisplayUntilStopped()
{
    WindowFixture fixture(settingsFile("False", "0", "0"));
    fixture.start();
    QString captionWhileListening;
    bool portDialogButtonWhileListening = true;

    fixture.listenWhile({
        [&] { fixture.line->feed(sensorFrame("A,123.4,5.6")); },
        [&] {
            captionWhileListening = fixture.controls().listenButton->text();
            portDialogButtonWhileListening = fixture.controls().portButton->isEnabled();
        },
        [&] { fixture.controls().listenButton->click(); },
    });

    QCOMPARE(captionWhileListening, QStringLiteral("Stop listening Serial Port"));
    QVERIFY(!portDialogButtonWhileListening);
    QCOMPARE(fixture.state().directionDegrees, 123.4);
    QCOMPARE(fixture.state().speedMetresPerSecond, 5.6);
    QCOMPARE(fixture.controls().degreesReadout->text(), QStringLiteral("123"));
    QCOMPARE(fixture.controls().kmhReadout->text(), QStringLiteral("20.2"));
    QVERIFY(!fixture.state().listening);
    QCOMPARE(fixture.controls().listenButton->text(),
             QStringLiteral("Start Listening Serial Port"));
    QVERIFY(fixture.controls().portButton->isEnabled());
    QVERIFY(!fixture.line->isOpen());
    QVERIFY(!fixture.feed->staleTimer()->isActive());
    QVERIFY(fixture.messages.isEmpty());
}

void tst_Listening::startingSwitchesExampleModeOff()
{
    WindowFixture fixture(settingsFile("True", "0", "0"));
    fixture.start();
    bool exampleModeWhileListening = true;
    fixture.listenWhile({
                            [&] { exampleModeWhileListening = fixture.state().exampleModeOn; },
                            [&] { fixture.controls().listenButton->click(); },
                        },
                        300);
    QVERIFY(!exampleModeWhileListening);
    QCOMPARE(fixture.controls().exampleModeButton->text(), QStringLiteral("Start Example Mode"));
    // The tick that came while listening found example mode off and stopped.
    QVERIFY(!fixture.exampleTimer()->isActive());
}

void tst_Listening::exampleModeSwitchedOnStopsListening()
{
    WindowFixture fixture(settingsFile("False", "0", "0"));
    fixture.start();
    fixture.listenWhile({[&] {
        fixture.controls().exampleModeButton->click();
    }});
    QVERIFY(!fixture.state().listening);
    QVERIFY(fixture.state().exampleModeOn);
    QVERIFY(fixture.exampleTimer()->isActive());
    QCOMPARE(fixture.controls().listenButton->text(),
             QStringLiteral("Start Listening Serial Port"));
    QVERIFY(!fixture.line->isOpen());
}

// Stopped and started again at once, listening reads a line of its own:
// the port is opened afresh and what the first left unread does not join it.
void tst_Listening::stopAndStartAgain()
{
    WindowFixture fixture(settingsFile("False", "0", "0"));
    fixture.start();
    fixture.listenWhile({
        [&] {
            fixture.line->feed("\x02"
                               "A,45");
        },
        [&] {
            fixture.controls().listenButton->click();
            fixture.controls().listenButton->click();
            fixture.line->feed(sensorFrame("A,90,1"));
        },
    });
    QVERIFY(fixture.state().listening);
    QVERIFY(fixture.line->isOpen());
    QCOMPARE(fixture.line->openCount(), 2);
    QCOMPARE(fixture.state().directionDegrees, 90.0);
    QVERIFY(fixture.messages.isEmpty());
}

void tst_Listening::windowClosedWhileListening()
{
    WindowFixture fixture(settingsFile("False", "0", "0"));
    fixture.start();
    WindWindow &window = *fixture.window;
    window.show();
    fixture.listenWhile({
        [&] { fixture.line->feed(sensorFrame("A,45,2")); },
        [&] { window.close(); },
    });
    QVERIFY(!fixture.state().running);
    QVERIFY(fixture.portDialog() == nullptr);
    const QByteArray written = fixture.readSettings();
    QVERIFY2(written.contains("Angle=45\r\n"), written.constData());
    QVERIFY2(written.contains("Wind=2\r\n"), written.constData());
}

void tst_Listening::portThatCannotBeOpenedHalts()
{
    WindowFixture fixture(settingsFile("False", "0", "0"));
    fixture.start();
    fixture.line->failOpenWith(QStringLiteral("No such file or directory"));

    fixture.controls().listenButton->click();
    QCOMPARE(fixture.messages.size(), 1);
    QCOMPARE(fixture.messages[0].title, QStringLiteral("Zorvane"));
    QCOMPARE(fixture.messages[0].icon, MessageIcon::Error);
    QVERIFY2(fixture.messages[0].text.startsWith(QStringLiteral("Error Serial port 1")),
             qPrintable(fixture.messages[0].text));
    QVERIFY(fixture.messages[0].text.contains(QStringLiteral("No such file or directory")));
    QVERIFY(fixture.state().listening);
    QCOMPARE(fixture.controls().listenButton->text(), QStringLiteral("Stop listening Serial Port"));
    QVERIFY(!fixture.controls().portButton->isEnabled());

    fixture.controls().listenButton->click();
    QVERIFY(!fixture.state().listening);
    QCOMPARE(fixture.controls().listenButton->text(),
             QStringLiteral("Start Listening Serial Port"));
    QVERIFY(fixture.controls().portButton->isEnabled());
    QCOMPARE(fixture.messages.size(), 1);
}

void tst_Listening::mismatchIsRejectedAndNextMatchShown()
{
    WindowFixture fixture(settingsFile("False", "10", "1"));
    fixture.start();
    QString kmhAfterMismatch = QStringLiteral("unset");
    double angleAfterMismatch = 0;

    fixture.listenWhile({
        [&] { fixture.line->feed(sensorFrame("A,200,30", "00")); },
        [&] {
            kmhAfterMismatch = fixture.controls().kmhReadout->text();
            angleAfterMismatch = fixture.state().directionDegrees;
            fixture.line->feed(sensorFrame("A,123.4,5.6"));
        },
        [&] { fixture.controls().listenButton->click(); },
    });

    QCOMPARE(kmhAfterMismatch, QString());
    QCOMPARE(angleAfterMismatch, 10.0);
    QCOMPARE(fixture.state().directionDegrees, 123.4);
    QCOMPARE(fixture.controls().kmhReadout->text(), QStringLiteral("20.2"));
    QVERIFY(fixture.messages.isEmpty());
}

void tst_Listening::lineAccidentsDoNotHalt_data()
{
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<int>("rejected");

    const QByteArray good = sensorFrame("A,123.4,5.6");
    QTest::newRow("checksum digits arrive late") << QList<QByteArray>{"\x02"
                                                                      "A,123.4,5.6\x03",
                                                                      "4", "6\r\n"}
                                                 << 0;
    QTest::newRow("reception starts inside a frame") << QList<QByteArray>{",7.5\x03"
                                                                          "3F\r\n",
                                                                          good}
                                                     << 0;
    QTest::newRow("power-up banner between frames")
        << QList<QByteArray>{"SENSOR READY v2.1\r\n", good} << 0;
    QTest::newRow("noise without markers") << QList<QByteArray>{QByteArray(70000, 'Z'), good} << 0;
    QTest::newRow("two frames in one read") << QList<QByteArray>{sensorFrame("A,10,1") + good} << 0;
    // Frames that pass the one-byte checksum by chance but do not read.
    QTest::newRow("matching checksum, speed missing")
        << QList<QByteArray>{sensorFrame("A,200"), good} << 1;
    QTest::newRow("empty frame") << QList<QByteArray>{sensorFrame(""), good} << 1;
    QTest::newRow("direction too large for a number")
        << QList<QByteArray>{sensorFrame("A,1" + QByteArray(400, '0') + ",5"), good} << 1;
    QTest::newRow("speed too large for the display")
        << QList<QByteArray>{sensorFrame("A,200,1" + QByteArray(300, '0')), good} << 1;
    QTest::newRow("checksum not hexadecimal")
        << QList<QByteArray>{sensorFrame("A,200,7", "4G"), good} << 1;
    QTest::newRow("frame too long")
        << QList<QByteArray>{sensorFrame("A,200,7," + QByteArray(40000, 'x')), good} << 1;
}

void tst_Listening::lineAccidentsDoNotHalt()
{
    QFETCH(QList<QByteArray>, reads);
    QFETCH(int, rejected);
    WindowFixture fixture(settingsFile("False", "0", "0"));
    fixture.start();
    QSignalSpy rejections(fixture.feed.get(), &WindFeed::frameRejected);
    QList<std::function<void()>> steps;
    for (const QByteArray &bytes : reads)
        steps << [&fixture, bytes] {
            fixture.line->feed(bytes);
        };
    steps << [] {
    } << [&] {
        fixture.controls().listenButton->click();
    };
    fixture.listenWhile(steps);

    QVERIFY2(fixture.messages.isEmpty(), qPrintable(fixture.messages.value(0).text));
    QCOMPARE(fixture.state().directionDegrees, 123.4);
    QCOMPARE(fixture.state().speedMetresPerSecond, 5.6);
    QCOMPARE(rejections.size(), rejected);
}

// What listeners (statistics, the log, shared output) hear: one sample per
// accepted frame, as shown, and nothing but a rejection for a bad one.
void tst_Listening::acceptedFramesAreAnnouncedAsSamples()
{
    WindowFixture fixture(settingsFile("False", "0", "0"));
    fixture.start();
    QSignalSpy samples(fixture.feed.get(), &WindFeed::sampleAccepted);
    QSignalSpy rejections(fixture.feed.get(), &WindFeed::frameRejected);
    QSignalSpy states(fixture.feed.get(), &WindFeed::stateChanged);
    fixture.listenWhile({
        [&] { fixture.line->feed(sensorFrame("A,370,5")); },
        [&] { fixture.line->feed(sensorFrame("A,200,30", "00")); },
        [&] { fixture.line->feed(sensorFrame("A,90,-2")); },
        [&] { fixture.controls().listenButton->click(); },
    });
    QCOMPARE(samples.size(), 2);
    const auto first = samples.at(0).at(0).value<WindFeedReading>();
    QCOMPARE(first.sample.directionDegrees, 10.0);
    QCOMPARE(first.sample.speedMetresPerSecond, 5.0);
    QCOMPARE(first.source, WindSource::Sensor);
    const auto second = samples.at(1).at(0).value<WindFeedReading>();
    QCOMPARE(second.sample.speedMetresPerSecond, 0.0);
    QVERIFY(second.sample.timeMs >= first.sample.timeMs);
    QCOMPARE(rejections.size(), 1);
    QCOMPARE(states.size(), 2);
    QCOMPARE(states.at(0).at(0).value<WindFeed::State>(), WindFeed::State::Listening);
    QCOMPARE(states.at(1).at(0).value<WindFeed::State>(), WindFeed::State::Idle);
}

// After a silence the value readouts turn grey and say how long it has
// lasted; the next reading restores them. Idle and example mode never mark.
void tst_Listening::readingsGoStaleAndComeBack()
{
    WindowFixture fixture(settingsFile("False", "0", "0"));
    fixture.start();
    const WindWindowControls &controls = fixture.controls();
    fixture.setStaleAfterMs(200);
    const QColor freshColour = controls.kmhReadout->palette().color(QPalette::WindowText);
    const auto description = [](QLabel *readout) {
        return QAccessible::queryAccessibleInterface(readout)->text(QAccessible::Description);
    };

    fixture.listenWhile({[&] {
        fixture.line->feed(sensorFrame("A,10,1"));
    }});
    QVERIFY(!fixture.areReadingsStale());
    QSignalSpy marks(fixture.feed.get(), &WindFeed::stalenessChanged);
    QTRY_VERIFY(fixture.areReadingsStale());
    for (QLabel *readout : controls.valueReadouts()) {
        QCOMPARE(description(readout), QStringLiteral("No reading for 0 s"));
        QVERIFY(readout->palette().color(QPalette::WindowText) != freshColour);
    }
    QTest::qWait(1000);
    emit controls.clockGauge->secondTicked();
    QCOMPARE(description(controls.degreesReadout), QStringLiteral("No reading for 1 s"));

    fixture.line->feed(sensorFrame("A,20,2"));
    QVERIFY(!fixture.areReadingsStale());
    QCOMPARE(description(controls.kmhReadout), QStringLiteral("Wind speed in km/h"));
    QCOMPARE(controls.kmhReadout->palette().color(QPalette::WindowText), freshColour);
    QCOMPARE(marks.size(), 2);

    controls.listenButton->click();
    controls.exampleModeButton->click();
    QTest::qWait(300);
    QVERIFY(!fixture.areReadingsStale());
    QCOMPARE(marks.size(), 2);
}

void tst_Listening::lostLineIsWaitedForOnlyWhenAsked_data()
{
    QTest::addColumn<bool>("reconnect");
    QTest::newRow("without Reconnect: one message, halted") << false;
    QTest::newRow("with Reconnect: waited for, no message") << true;
}

void tst_Listening::lostLineIsWaitedForOnlyWhenAsked()
{
    QFETCH(bool, reconnect);
    WindowFixture fixture(settingsFile("False", "0", "0"));
    fixture.start();
    fixture.line->setReconnect(reconnect);
    QSignalSpy linkStates(fixture.feed.get(), &WindFeed::linkStateChanged);
    fixture.listenWhile({
        [&] { fixture.line->feed(sensorFrame("A,10,1")); },
        [&] { fixture.line->pullCable(QStringLiteral("the device hung up")); },
        [&] {
            fixture.line->plugCable();
            fixture.line->feed(sensorFrame("A,20,2"));
        },
    });
    QVERIFY(fixture.state().listening);
    QCOMPARE(fixture.controls().listenButton->text(), QStringLiteral("Stop listening Serial Port"));
    if (reconnect) {
        QVERIFY2(fixture.messages.isEmpty(), qPrintable(fixture.messageTexts().join(u'\n')));
        QCOMPARE(fixture.state().directionDegrees, 20.0);
        QVERIFY(linkStates.first().first().toString().contains(QStringLiteral("hung up")));
        QCOMPARE(linkStates.last().first().toString(), QString());
    } else {
        QCOMPARE(fixture.messageTexts(),
                 QStringList{"Error Serial port 1 (fake): reading failed: the device hung up"});
        QCOMPARE(fixture.state().directionDegrees, 10.0);
        QVERIFY(!fixture.line->isOpen());
    }
}

void tst_Listening::loneChecksumDigitShownOnceTheLineIsQuiet_data()
{
    QTest::addColumn<bool>("pseudoTerminal");
    QTest::newRow("fake serial control") << false;
    QTest::newRow("pseudo-terminal") << true;
}

// A sensor that sends no line end and writes the checksum 08 as "8": the
// frame must show once the line has been quiet, not when the next one comes.
void tst_Listening::loneChecksumDigitShownOnceTheLineIsQuiet()
{
    QFETCH(bool, pseudoTerminal);
    const QByteArray frame = "\x02"
                             "AP,45,12.5\x03"
                             "8";
    int master = -1;
    QString device;
    if (pseudoTerminal) {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
        device = QString::fromLocal8Bit(::ptsname(master));
    }
    WindowFixture fixture(settingsFile("False", "0", "0"), device);
    fixture.start();
    QString shownSoonAfter;
    fixture.listenWhile({
                            [&] {
                                if (pseudoTerminal)
                                    QVERIFY(::write(master, frame.constData(), frame.size()) > 0);
                                else
                                    fixture.line->feed(frame);
                            },
                            [] {},
                            [] {},
                            [] {},
                            [] {},
                            [&] { shownSoonAfter = fixture.controls().degreesReadout->text(); },
                            [&] { fixture.controls().listenButton->click(); },
                        },
                        50);
    if (master >= 0)
        ::close(master);
    QVERIFY2(fixture.messages.isEmpty(), qPrintable(fixture.messages.value(0).text));
    QCOMPARE(shownSoonAfter, QStringLiteral("45"));
    QCOMPARE(fixture.state().speedMetresPerSecond, 12.5);
}

void tst_Listening::realSerialPortOnAPseudoTerminal_data()
{
    QTest::addColumn<bool>("byteByByte");
    QTest::newRow("byte by byte") << true;
    QTest::newRow("in bursts") << false;
}

// End to end through QSerialPort: a pseudo-terminal stands in for the line.
void tst_Listening::realSerialPortOnAPseudoTerminal()
{
    QFETCH(bool, byteByByte);
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0);
    QVERIFY(::grantpt(master) == 0 && ::unlockpt(master) == 0);
    const QString device = QString::fromLocal8Bit(::ptsname(master));

    WindowFixture fixture(settingsFile("False", "0", "0"), device);
    fixture.start();

    const QByteArray frames = sensorFrame("A,10,1") + sensorFrame("A,270.5,12.5");
    QList<std::function<void()>> steps;
    if (byteByByte) {
        for (char byte : frames)
            steps << [master, byte] {
                QVERIFY(::write(master, &byte, 1) == 1);
            };
    } else {
        steps << [master, frames] {
            QVERIFY(::write(master, frames.constData(), frames.size()) > 0);
        };
    }
    steps << [] {
    } << [] {
    } << [&fixture] {
        fixture.controls().listenButton->click();
    };
    fixture.listenWhile(steps, byteByByte ? 2 : 50);

    ::close(master);
    QVERIFY2(fixture.messages.isEmpty(), qPrintable(fixture.messages.value(0).text));
    QCOMPARE(fixture.state().directionDegrees, 270.5);
    QCOMPARE(fixture.state().speedMetresPerSecond, 12.5);
    QCOMPARE(fixture.controls().compassPointReadout->text(), QStringLiteral("W"));
}

QTEST_MAIN(tst_Listening)
#include "tst_listening.moc"
