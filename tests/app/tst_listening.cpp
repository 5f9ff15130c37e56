#include "windowfixture.h"

#include "platform/qtserialcontrol.h"
#include "sensorframes.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <functional>
#include <termios.h>
#include <unistd.h>

namespace {
// Runs the listening loop inside the listen button's click, with the steps
// carried out one after another from timers, as the loop yields. A last
// resort stops the loop so that a fault cannot hang the test.
void listenWhile(WindowFixture &fixture, const QList<std::function<void()>> &steps,
                 int spacingMs = 20)
{
    WindWindow *window = fixture.window.get();
    int delay = 0;
    for (const auto &step : steps)
        QTimer::singleShot(delay += spacingMs, window, step);
    QTimer::singleShot(10000, window, [&fixture] { fixture.state().listening = false; });
    fixture.controls().listenButton->click();
}
} // namespace

class tst_Listening : public QObject
{
    Q_OBJECT

private slots:
    void framesReachTheDisplayUntilStopped();
    void startingSwitchesExampleModeOff();
    void exampleModeSwitchedOnStopsListening();
    void stopAndStartWithinOneYield();
    void windowClosedWhileListening();
    void portThatCannotBeOpenedHalts();
    void mismatchIsRejectedAndNextMatchShown();
    void lineAccidentsDoNotHalt_data();
    void lineAccidentsDoNotHalt();
    void frameFailuresHaltWithTheirKind_data();
    void frameFailuresHaltWithTheirKind();
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

    listenWhile(fixture,
                {
                    [&] { fixture.serial->feed(sensorFrame("A,123.4,5.6")); },
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
    QVERIFY(!fixture.serial->isOpen());
    QVERIFY(!fixture.controls().frameTimeoutTimer->isActive());
    QCOMPARE(fixture.serial->inputLength(), qint16(0));
    QVERIFY(fixture.messages.isEmpty());
}

void tst_Listening::startingSwitchesExampleModeOff()
{
    WindowFixture fixture(settingsFile("True", "0", "0"));
    fixture.start();
    bool exampleModeWhileListening = true;
    listenWhile(fixture,
                {
                    [&] { exampleModeWhileListening = fixture.state().exampleModeOn; },
                    [&] { fixture.controls().listenButton->click(); },
                },
                300);
    QVERIFY(!exampleModeWhileListening);
    QCOMPARE(fixture.controls().exampleModeButton->text(), QStringLiteral("Start Example Mode"));
    // The tick that came while listening found example mode off and stopped.
    QVERIFY(!fixture.controls().exampleTimer->isActive());
}

void tst_Listening::exampleModeSwitchedOnStopsListening()
{
    WindowFixture fixture(settingsFile("False", "0", "0"));
    fixture.start();
    listenWhile(fixture, {[&] {
                    fixture.controls().exampleModeButton->click();
                }});
    QVERIFY(!fixture.state().listening);
    QVERIFY(fixture.state().exampleModeOn);
    QVERIFY(fixture.controls().exampleTimer->isActive());
    QCOMPARE(fixture.controls().listenButton->text(),
             QStringLiteral("Start Listening Serial Port"));
    QVERIFY(!fixture.serial->isOpen());
}

void tst_Listening::stopAndStartWithinOneYield()
{
    WindowFixture fixture(settingsFile("False", "0", "0"));
    fixture.start();
    WindWindow &window = *fixture.window;
    bool nestedLoopListened = false;
    listenWhile(fixture,
                {
                    [&] {
                        // Both clicks land in the same yield: the second starts a loop
                        // inside the first, which must end cleanly once that one has.
                        fixture.controls().listenButton->click();
                        QTimer::singleShot(20, &window, [&] {
                            nestedLoopListened = fixture.state().listening;
                            fixture.serial->feed(sensorFrame("A,90,1"));
                        });
                        QTimer::singleShot(60, &window,
                                           [&] { fixture.controls().listenButton->click(); });
                        fixture.controls().listenButton->click();
                    },
                });
    QVERIFY(nestedLoopListened);
    QCOMPARE(fixture.state().directionDegrees, 90.0);
    QVERIFY(!fixture.state().listening);
    QCOMPARE(fixture.controls().listenButton->text(),
             QStringLiteral("Start Listening Serial Port"));
    QVERIFY(!fixture.serial->isOpen());
}

void tst_Listening::windowClosedWhileListening()
{
    WindowFixture fixture(settingsFile("False", "0", "0"));
    fixture.start();
    WindWindow &window = *fixture.window;
    window.show();
    listenWhile(fixture,
                {
                    [&] { fixture.serial->feed(sensorFrame("A,45,2")); },
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
    fixture.serial->failOpenWith(QStringLiteral("No such file or directory"));

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
    bool timer2AfterMismatch = false;
    QString kmhAfterMismatch = QStringLiteral("unset");
    double angleAfterMismatch = 0;

    listenWhile(fixture,
                {
                    [&] { fixture.serial->feed(sensorFrame("A,200,30", "00")); },
                    [&] {
                        timer2AfterMismatch = fixture.controls().rejectedFrameTimer->isActive();
                        kmhAfterMismatch = fixture.controls().kmhReadout->text();
                        angleAfterMismatch = fixture.state().directionDegrees;
                        fixture.serial->feed(sensorFrame("A,123.4,5.6"));
                    },
                    [&] { fixture.controls().listenButton->click(); },
                });

    QVERIFY(timer2AfterMismatch);
    QCOMPARE(kmhAfterMismatch, QString());
    QCOMPARE(angleAfterMismatch, 10.0);
    QVERIFY(!fixture.controls().rejectedFrameTimer->isActive());
    QCOMPARE(fixture.state().directionDegrees, 123.4);
    QCOMPARE(fixture.controls().kmhReadout->text(), QStringLiteral("20.2"));
    QVERIFY(fixture.messages.isEmpty());
}

void tst_Listening::lineAccidentsDoNotHalt_data()
{
    QTest::addColumn<QList<QByteArray>>("reads");

    const QByteArray good = sensorFrame("A,123.4,5.6");
    QTest::newRow("checksum digits arrive late") << QList<QByteArray>{"\x02"
                                                                      "A,123.4,5.6\x03",
                                                                      "4", "6\r\n"};
    QTest::newRow("reception starts inside a frame") << QList<QByteArray>{",7.5\x03"
                                                                          "3F\r\n",
                                                                          good};
    QTest::newRow("power-up banner between frames")
        << QList<QByteArray>{"SENSOR READY v2.1\r\n", good};
    QTest::newRow("noise without markers") << QList<QByteArray>{QByteArray(70000, 'Z'), good};
    QTest::newRow("two frames in one read") << QList<QByteArray>{sensorFrame("A,10,1") + good};
}

void tst_Listening::lineAccidentsDoNotHalt()
{
    QFETCH(QList<QByteArray>, reads);
    WindowFixture fixture(settingsFile("False", "0", "0"));
    fixture.start();
    QList<std::function<void()>> steps;
    for (const QByteArray &bytes : reads)
        steps << [&fixture, bytes] {
            fixture.serial->feed(bytes);
        };
    steps << [] {
    } << [&] {
        fixture.controls().listenButton->click();
    };
    listenWhile(fixture, steps);

    QVERIFY2(fixture.messages.isEmpty(), qPrintable(fixture.messages.value(0).text));
    QCOMPARE(fixture.state().directionDegrees, 123.4);
    QCOMPARE(fixture.state().speedMetresPerSecond, 5.6);
}

void tst_Listening::frameFailuresHaltWithTheirKind_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<double>("angle");

    QTest::newRow("payload with two fields")
        << sensorFrame("A,123.4") << "Subscript out of range" << 123.4;
    QTest::newRow("rejected frame with two fields")
        << sensorFrame("A,5", "00") << "Subscript out of range" << 0.0;
    QTest::newRow("checksum not hexadecimal")
        << sensorFrame("A,5,5", "4G") << "Type mismatch" << 0.0;
}

void tst_Listening::frameFailuresHaltWithTheirKind()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, kind);
    QFETCH(double, angle);
    WindowFixture fixture(settingsFile("False", "0", "0"));
    fixture.start();

    listenWhile(fixture, {[&] {
                    fixture.serial->feed(bytes);
                }});
    QCOMPARE(fixture.messages.size(), 1);
    QVERIFY2(fixture.messages[0].text.startsWith(QStringLiteral("Error ") + kind),
             qPrintable(fixture.messages[0].text));
    QVERIFY(fixture.state().listening);
    QCOMPARE(fixture.state().directionDegrees, angle);

    fixture.controls().listenButton->click();
    QVERIFY(!fixture.state().listening);
}

// What listeners (statistics, the log, shared output) hear: one sample per
// accepted frame, as shown, and nothing but a rejection for a bad one.
void tst_Listening::acceptedFramesAreAnnouncedAsSamples()
{
    WindowFixture fixture(settingsFile("False", "0", "0"));
    fixture.start();
    QSignalSpy samples(fixture.window.get(), &WindWindow::sampleAccepted);
    QSignalSpy rejections(fixture.window.get(), &WindWindow::frameRejected);
    QSignalSpy listening(fixture.window.get(), &WindWindow::listeningChanged);
    listenWhile(fixture,
                {
                    [&] { fixture.serial->feed(sensorFrame("A,370,5")); },
                    [&] { fixture.serial->feed(sensorFrame("A,200,30", "00")); },
                    [&] { fixture.serial->feed(sensorFrame("A,90,-2")); },
                    [&] { fixture.controls().listenButton->click(); },
                });
    QCOMPARE(samples.size(), 2);
    const auto first = samples.at(0).at(0).value<WindSample>();
    QCOMPARE(first.directionDegrees, 10.0);
    QCOMPARE(first.speedMetresPerSecond, 5.0);
    QCOMPARE(samples.at(0).at(1).value<WindSource>(), WindSource::Sensor);
    const auto second = samples.at(1).at(0).value<WindSample>();
    QCOMPARE(second.speedMetresPerSecond, 0.0);
    QVERIFY(second.timeMs >= first.timeMs);
    QCOMPARE(rejections.size(), 1);
    QCOMPARE(listening.size(), 2);
    QCOMPARE(listening.at(0).at(0).toBool(), true);
    QCOMPARE(listening.at(1).at(0).toBool(), false);
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
    listenWhile(fixture,
                {
                    [&] {
                        if (pseudoTerminal)
                            QVERIFY(::write(master, frame.constData(), frame.size()) > 0);
                        else
                            fixture.serial->feed(frame);
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
    listenWhile(fixture, steps, byteByByte ? 2 : 50);

    ::close(master);
    QVERIFY2(fixture.messages.isEmpty(), qPrintable(fixture.messages.value(0).text));
    QCOMPARE(fixture.state().directionDegrees, 270.5);
    QCOMPARE(fixture.state().speedMetresPerSecond, 12.5);
    QCOMPARE(fixture.controls().compassPointReadout->text(), QStringLiteral("W"));
}

QTEST_MAIN(tst_Listening)
#include "tst_listening.moc"
