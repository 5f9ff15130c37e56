#include "windowfixture.h"

#include "platform/qtserialcontrol.h"
#include "sensorframes.h"

#include <QLabel>
#include <QPushButton>
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
void listenWhile(frmMain &window, const QList<std::function<void()>> &steps, int spacingMs = 20)
{
    int delay = 0;
    for (const auto &step : steps)
        QTimer::singleShot(delay += spacingMs, &window, step);
    QTimer::singleShot(10000, &window, [&window] { window.ListeningActive = false; });
    window.Command1->click();
}
} // namespace

class tst_Listening : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

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
    void loneChecksumDigitShownOnceTheLineIsQuiet_data();
    void loneChecksumDigitShownOnceTheLineIsQuiet();
    void realSerialPortOnAPseudoTerminal_data();
    void realSerialPortOnAPseudoTerminal();
};

void tst_Listening::framesReachTheDisplayUntilStopped()
{
    WindowFixture fixture(settingsFile("False", "0", "0"));
    fixture.start();
    frmMain &window = *fixture.window;
    QString captionWhileListening;
    bool portDialogButtonWhileListening = true;

    listenWhile(window,
                {
                    [&] { fixture.serial->feed(sensorFrame("A,123.4,5.6")); },
                    [&] {
                        captionWhileListening = window.Command1->text();
                        portDialogButtonWhileListening = window.Command4->isEnabled();
                    },
                    [&] { window.Command1->click(); },
                });

    QCOMPARE(captionWhileListening, QStringLiteral("Stop listening Serial Port"));
    QVERIFY(!portDialogButtonWhileListening);
    QCOMPARE(window.WindAngle, 123.4);
    QCOMPARE(window.WindSpeed, 5.6);
    QCOMPARE(window.Label1[0]->text(), QStringLiteral("123"));
    QCOMPARE(window.Label1[10]->text(), QStringLiteral("20.2"));
    QVERIFY(!window.ListeningActive);
    QCOMPARE(window.Command1->text(), QStringLiteral("Start Listening Serial Port"));
    QVERIFY(window.Command4->isEnabled());
    QVERIFY(!fixture.serial->PortOpen());
    QVERIFY(!window.SerialPortTimer->isActive());
    QCOMPARE(fixture.serial->inputLen(), qint16(0));
    QVERIFY(fixture.messages.isEmpty());
}

void tst_Listening::startingSwitchesExampleModeOff()
{
    WindowFixture fixture(settingsFile("True", "0", "0"));
    fixture.start();
    frmMain &window = *fixture.window;
    bool exampleModeWhileListening = true;
    listenWhile(window,
                {
                    [&] { exampleModeWhileListening = window.ExampleModeOn; },
                    [&] { window.Command1->click(); },
                },
                300);
    QVERIFY(!exampleModeWhileListening);
    QCOMPARE(window.Command3->text(), QStringLiteral("Start Example Mode"));
    // The tick that came while listening found example mode off and stopped.
    QVERIFY(!window.Timer1->isActive());
}

void tst_Listening::exampleModeSwitchedOnStopsListening()
{
    WindowFixture fixture(settingsFile("False", "0", "0"));
    fixture.start();
    frmMain &window = *fixture.window;
    listenWhile(window, {[&] {
                    window.Command3->click();
                }});
    QVERIFY(!window.ListeningActive);
    QVERIFY(window.ExampleModeOn);
    QVERIFY(window.Timer1->isActive());
    QCOMPARE(window.Command1->text(), QStringLiteral("Start Listening Serial Port"));
    QVERIFY(!fixture.serial->PortOpen());
}

void tst_Listening::stopAndStartWithinOneYield()
{
    WindowFixture fixture(settingsFile("False", "0", "0"));
    fixture.start();
    frmMain &window = *fixture.window;
    bool nestedLoopListened = false;
    listenWhile(window,
                {
                    [&] {
                        // Both clicks land in the same yield: the second starts a loop
                        // inside the first, which must end cleanly once that one has.
                        window.Command1->click();
                        QTimer::singleShot(20, &window, [&] {
                            nestedLoopListened = window.ListeningActive;
                            fixture.serial->feed(sensorFrame("A,90,1"));
                        });
                        QTimer::singleShot(60, &window, [&] { window.Command1->click(); });
                        window.Command1->click();
                    },
                });
    QVERIFY(nestedLoopListened);
    QCOMPARE(window.WindAngle, 90.0);
    QVERIFY(!window.ListeningActive);
    QCOMPARE(window.Command1->text(), QStringLiteral("Start Listening Serial Port"));
    QVERIFY(!fixture.serial->PortOpen());
}

void tst_Listening::windowClosedWhileListening()
{
    WindowFixture fixture(settingsFile("False", "0", "0"));
    fixture.start();
    frmMain &window = *fixture.window;
    window.show();
    listenWhile(window,
                {
                    [&] { fixture.serial->feed(sensorFrame("A,45,2")); },
                    [&] { window.close(); },
                });
    QVERIFY(!window.AppRunning);
    QVERIFY(window.portDialog() == nullptr);
    const QByteArray written = fixture.readSettings();
    QVERIFY2(written.contains("Angle=45\r\n"), written.constData());
    QVERIFY2(written.contains("Wind=2\r\n"), written.constData());
}

void tst_Listening::portThatCannotBeOpenedHalts()
{
    WindowFixture fixture(settingsFile("False", "0", "0"));
    fixture.start();
    frmMain &window = *fixture.window;
    fixture.serial->failOpenWith(QStringLiteral("No such file or directory"));

    window.Command1->click();
    QCOMPARE(fixture.messages.size(), 1);
    QCOMPARE(fixture.messages[0].title, QStringLiteral("Zorvane"));
    QCOMPARE(fixture.messages[0].icon, MessageIcon::Error);
    QVERIFY2(fixture.messages[0].text.startsWith(QStringLiteral("Error Serial port 1")),
             qPrintable(fixture.messages[0].text));
    QVERIFY(fixture.messages[0].text.contains(QStringLiteral("No such file or directory")));
    QVERIFY(window.ListeningActive);
    QCOMPARE(window.Command1->text(), QStringLiteral("Stop listening Serial Port"));
    QVERIFY(!window.Command4->isEnabled());

    window.Command1->click();
    QVERIFY(!window.ListeningActive);
    QCOMPARE(window.Command1->text(), QStringLiteral("Start Listening Serial Port"));
    QVERIFY(window.Command4->isEnabled());
    QCOMPARE(fixture.messages.size(), 1);
}

void tst_Listening::mismatchIsRejectedAndNextMatchShown()
{
    WindowFixture fixture(settingsFile("False", "10", "1"));
    fixture.start();
    frmMain &window = *fixture.window;
    bool timer2AfterMismatch = false;
    QString kmhAfterMismatch = QStringLiteral("unset");
    double angleAfterMismatch = 0;

    listenWhile(window,
                {
                    [&] { fixture.serial->feed(sensorFrame("A,200,30", "00")); },
                    [&] {
                        timer2AfterMismatch = window.Timer2->isActive();
                        kmhAfterMismatch = window.Label1[10]->text();
                        angleAfterMismatch = window.WindAngle;
                        fixture.serial->feed(sensorFrame("A,123.4,5.6"));
                    },
                    [&] { window.Command1->click(); },
                });

    QVERIFY(timer2AfterMismatch);
    QCOMPARE(kmhAfterMismatch, QString());
    QCOMPARE(angleAfterMismatch, 10.0);
    QVERIFY(!window.Timer2->isActive());
    QCOMPARE(window.WindAngle, 123.4);
    QCOMPARE(window.Label1[10]->text(), QStringLiteral("20.2"));
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
    frmMain &window = *fixture.window;
    QList<std::function<void()>> steps;
    for (const QByteArray &bytes : reads)
        steps << [&fixture, bytes] {
            fixture.serial->feed(bytes);
        };
    steps << [] {
    } << [&] {
        window.Command1->click();
    };
    listenWhile(window, steps);

    QVERIFY2(fixture.messages.isEmpty(), qPrintable(fixture.messages.value(0).text));
    QCOMPARE(window.WindAngle, 123.4);
    QCOMPARE(window.WindSpeed, 5.6);
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
    frmMain &window = *fixture.window;

    listenWhile(window, {[&] {
                    fixture.serial->feed(bytes);
                }});
    QCOMPARE(fixture.messages.size(), 1);
    QVERIFY2(fixture.messages[0].text.startsWith(QStringLiteral("Error ") + kind),
             qPrintable(fixture.messages[0].text));
    QVERIFY(window.ListeningActive);
    QCOMPARE(window.WindAngle, angle);

    window.Command1->click();
    QVERIFY(!window.ListeningActive);
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
    WindowFixture fixture(settingsFile("False", "0", "0"));
    int master = -1;
    if (pseudoTerminal) {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
        const QString device = QString::fromLocal8Bit(::ptsname(master));
        fixture.window = std::make_unique<frmMain>(
            fixture.settings, std::make_unique<QtSerialControl>([device](int) { return device; }));
    }
    fixture.start();
    frmMain &window = *fixture.window;
    QString shownSoonAfter;
    listenWhile(window,
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
                    [&] { shownSoonAfter = window.Label1[0]->text(); },
                    [&] { window.Command1->click(); },
                },
                50);
    if (master >= 0)
        ::close(master);
    QVERIFY2(fixture.messages.isEmpty(), qPrintable(fixture.messages.value(0).text));
    QCOMPARE(shownSoonAfter, QStringLiteral("45"));
    QCOMPARE(window.WindSpeed, 12.5);
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

    QTemporaryDir folder;
    Module1 settings(folder.path(), folder.path());
    {
        QFile file(folder.filePath(QStringLiteral("Application.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(settingsFile("False", "0", "0"));
    }
    frmMain window(settings, std::make_unique<QtSerialControl>([device](int) { return device; }));
    window.Form_Initialize();
    window.Form_Load();
    QStringList errors;
    const MessagePresenter previous
        = setMessagePresenter([&errors](QWidget *, const QString &, const QString &text,
                                        MessageIcon) { errors << text; });

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
    } << [&window] {
        window.Command1->click();
    };
    listenWhile(window, steps, byteByByte ? 2 : 50);

    setMessagePresenter(previous);
    ::close(master);
    QVERIFY2(errors.isEmpty(), qPrintable(errors.value(0)));
    QCOMPARE(window.WindAngle, 270.5);
    QCOMPARE(window.WindSpeed, 12.5);
    QCOMPARE(window.Label1[1]->text(), QStringLiteral("W"));
}

QTEST_MAIN(tst_Listening)
#include "tst_listening.moc"
