#include "windowfixture.h"

#include "platform/gaugewidget.h"
#include "shell/barlabel.h"
#include "shell/framebox.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void firstStartCreatesDefaultsAndRunsExampleMode();
    void startupFailureNamesTheSettingAndLeavesTheFile_data();
    void startupFailureNamesTheSettingAndLeavesTheFile();
    void startupConversions_data();
    void startupConversions();
    void settingsWrittenAtCloseReadBack_data();
    void settingsWrittenAtCloseReadBack();
    void storedValuesAreCorrectedByTheFirstRefresh();
    void failedWriteAtCloseStillCloses();
    void controlArraysHoldExactlyTheirIndexes_data();
    void controlArraysHoldExactlyTheirIndexes();
    void hiddenControlsStayHidden();
    void barsStandInFrontOfTheScale();
    void tabOrderFollowsTheDesign();
    void terminationSignalClosesLikeTheUser_data();
    void terminationSignalClosesLikeTheUser();
    void failedStartEndsWithFailureStatus();
};

void tst_MainWindow::firstStartCreatesDefaultsAndRunsExampleMode()
{
    WindowFixture fixture;
    fixture.start();

    QCOMPARE(fixture.readSettings(),
             QByteArray("[PARAMETRES]\r\nSerialPort1-COM=1\r\nDummyMode=True\r\n"
                        "[VALUES]\r\nAngle=1\r\nWind=1\r\n"));
    frmMain &window = *fixture.window;
    QVERIFY(window.AppRunning);
    QVERIFY(window.ExampleModeOn);
    QVERIFY(window.Timer1->isActive());
    QCOMPARE(window.Command3->text(), QStringLiteral("Stop Example Mode"));
    QCOMPARE(window.WindAngle, 1.0);
    QCOMPARE(window.WindSpeed, 1.0);
    QCOMPARE(fixture.serial->CommPort(), qint16(1));
    QCOMPARE(window.ShockwaveFlash1->movieName(), QStringLiteral("compass2.swf"));
    QCOMPARE(window.ShockwaveFlash2->movieName(), QStringLiteral("clock106.swf"));
}

void tst_MainWindow::startupFailureNamesTheSettingAndLeavesTheFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");

    const int mismatch = int(AppError::Kind::TypeMismatch);
    QTest::newRow("DummyMode missing")
        << QByteArray("[PARAMETRES]\r\nSerialPort1-COM=1\r\n[VALUES]\r\nAngle=1\r\nWind=1\r\n")
        << mismatch << "PARAMETRES"
        << "DummyMode";
    QTest::newRow("DummyMode=yes") << settingsFile("yes", "1", "1") << mismatch << "PARAMETRES"
                                   << "DummyMode";
    QTest::newRow("angle not a number")
        << settingsFile("True", "north", "1") << mismatch << "VALUES"
        << "Angle";
    QTest::newRow("VALUES section missing")
        << QByteArray("[PARAMETRES]\r\nSerialPort1-COM=1\r\nDummyMode=False\r\n") << mismatch
        << "VALUES"
        << "Angle";
    QTest::newRow("port 40000 overflows")
        << settingsFile("True", "1", "1", "40000") << int(AppError::Kind::Overflow) << "PARAMETRES"
        << "SerialPort1-COM";
    QTest::newRow("port 0 names no port") << settingsFile("True", "1", "1", "0")
                                          << int(AppError::Kind::SerialError) << "PARAMETRES"
                                          << "SerialPort1-COM";
    QTest::newRow("empty file") << QByteArray("") << mismatch << "PARAMETRES"
                                << "DummyMode";
}

void tst_MainWindow::startupFailureNamesTheSettingAndLeavesTheFile()
{
    QFETCH(QByteArray, file);
    QFETCH(int, kind);
    QFETCH(QString, section);
    QFETCH(QString, key);

    WindowFixture fixture(file);
    try {
        fixture.window->Form_Initialize();
        QFAIL("start-up should have failed");
    } catch (const AppError &error) {
        QCOMPARE(int(error.kind()), kind);
        QVERIFY2(error.description().contains(key), qPrintable(error.description()));
        QVERIFY2(error.description().contains(section), qPrintable(error.description()));
        QVERIFY2(error.description().contains(QStringLiteral("Application.ini")),
                 qPrintable(error.description()));
        QVERIFY2(error.description().startsWith(AppError::kindName(error.kind())),
                 qPrintable(error.description()));
    }
    QCOMPARE(fixture.readSettings(), file);
}

void tst_MainWindow::startupConversions_data()
{
    QTest::addColumn<QByteArray>("exampleMode");
    QTest::addColumn<QByteArray>("port");
    QTest::addColumn<bool>("expectedExampleMode");
    QTest::addColumn<int>("expectedPort");

    QTest::newRow("lower-case true") << QByteArray("true") << QByteArray("3") << true << 3;
    QTest::newRow("FALSE") << QByteArray("FALSE") << QByteArray("3") << false << 3;
    QTest::newRow("zero is false") << QByteArray("0") << QByteArray("3") << false << 3;
    QTest::newRow("a number is true") << QByteArray("-1") << QByteArray("3") << true << 3;
    QTest::newRow("port half rounds to even")
        << QByteArray("False") << QByteArray("2.5") << false << 2;
    QTest::newRow("port 3.5 rounds up") << QByteArray("False") << QByteArray("3.5") << false << 4;
}

void tst_MainWindow::startupConversions()
{
    QFETCH(QByteArray, exampleMode);
    QFETCH(QByteArray, port);
    QFETCH(bool, expectedExampleMode);
    QFETCH(int, expectedPort);

    WindowFixture fixture(settingsFile(exampleMode, "10", "2", port));
    fixture.start();
    QCOMPARE(fixture.window->ExampleModeOn, expectedExampleMode);
    QCOMPARE(fixture.window->Timer1->isActive(), expectedExampleMode);
    QCOMPARE(int(fixture.serial->CommPort()), expectedPort);
}

void tst_MainWindow::settingsWrittenAtCloseReadBack_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QByteArray>("angleLine");
    QTest::addColumn<QByteArray>("windLine");

    QTest::newRow("decimal point") << QLocale(QLocale::English, QLocale::UnitedStates)
                                   << QByteArray("Angle=123.25") << QByteArray("Wind=0.5");
    QTest::newRow("decimal comma") << QLocale(QLocale::German, QLocale::Germany)
                                   << QByteArray("Angle=123,25") << QByteArray("Wind=0,5");
}

void tst_MainWindow::settingsWrittenAtCloseReadBack()
{
    QFETCH(QLocale, locale);
    QFETCH(QByteArray, angleLine);
    QFETCH(QByteArray, windLine);
    QLocale::setDefault(locale);

    WindowFixture fixture(settingsFile("False", "1", "1"));
    fixture.start();
    fixture.window->WindAngle = 123.25;
    fixture.window->WindSpeed = 0.5;
    fixture.serial->setCommPort(7);
    fixture.window->Command3_Click();
    fixture.window->close();
    QVERIFY(!fixture.window->AppRunning);

    const QByteArray written = fixture.readSettings();
    QVERIFY2(written.contains(angleLine + "\r\n"), written.constData());
    QVERIFY2(written.contains(windLine + "\r\n"), written.constData());
    QVERIFY2(written.contains("DummyMode=True\r\n"), written.constData());
    QVERIFY2(written.contains("SerialPort1-COM=7\r\n"), written.constData());

    auto serial = std::make_unique<FakeSerialControl>();
    FakeSerialControl *port = serial.get();
    frmMain next(fixture.settings, std::move(serial));
    next.Form_Initialize();
    QCOMPARE(next.WindAngle, 123.25);
    QCOMPARE(next.WindSpeed, 0.5);
    QVERIFY(next.ExampleModeOn);
    QCOMPARE(port->CommPort(), qint16(7));
}

void tst_MainWindow::storedValuesAreCorrectedByTheFirstRefresh()
{
    WindowFixture fixture(settingsFile("False", "400", "-3"));
    fixture.start();
    frmMain &window = *fixture.window;
    QVERIFY(!window.Timer1->isActive());
    QCOMPARE(window.Label1[0]->text(), QStringLiteral("40"));
    QCOMPARE(window.Label1[1]->text(), QStringLiteral("NE"));
    for (int index : {10, 8, 13})
        QCOMPARE(window.Label1[index]->text(), QStringLiteral("0.0"));

    window.close();
    const QByteArray written = fixture.readSettings();
    QVERIFY2(written.contains("Angle=40\r\n"), written.constData());
    QVERIFY2(written.contains("Wind=0\r\n"), written.constData());
    QVERIFY2(written.contains("DummyMode=False\r\n"), written.constData());
}

void tst_MainWindow::failedWriteAtCloseStillCloses()
{
    WindowFixture fixture(settingsFile("False", "5", "1"));
    fixture.start();
    // A folder where the settings file used to be makes every write fail.
    QFile::remove(fixture.settingsPath());
    QVERIFY(QDir().mkdir(fixture.settingsPath()));
    fixture.window->show();
    QVERIFY(fixture.window->close());
    QVERIFY(!fixture.window->AppRunning);
    QVERIFY(fixture.fatalErrors.isEmpty());
}

void tst_MainWindow::controlArraysHoldExactlyTheirIndexes_data()
{
    QTest::addColumn<QString>("array");
    QTest::addColumn<QList<int>>("indexes");

    QTest::newRow("Label1") << "Label1" << QList<int> {0, 1, 5, 8, 9, 10, 11, 12, 13, 14, 15};
    QTest::newRow("Label2") << "Label2" << QList<int> {3};
    QList<int> scaleRows;
    for (int i = 0; i <= 30; ++i)
        scaleRows << i;
    QTest::newRow("Label4") << "Label4" << scaleRows;
    QTest::newRow("Label5") << "Label5" << QList<int> {1, 2, 3, 4};
    QTest::newRow("Text1") << "Text1" << QList<int> {0, 1, 2};
    QTest::newRow("Frame1") << "Frame1" << QList<int> {2, 3};
}

void tst_MainWindow::controlArraysHoldExactlyTheirIndexes()
{
    QFETCH(QString, array);
    QFETCH(QList<int>, indexes);

    WindowFixture fixture;
    const frmMain &window = *fixture.window;
    const QMap<QString, QList<int>> actual = {
        {"Label1", window.Label1.indexes()}, {"Label2", window.Label2.indexes()},
        {"Label4", window.Label4.indexes()}, {"Label5", window.Label5.indexes()},
        {"Text1", window.Text1.indexes()},   {"Frame1", window.Frame1.indexes()},
    };
    QCOMPARE(actual.value(array), indexes);

    try {
        window.Label1[7];
        QFAIL("Label1(7) should not exist");
    } catch (const AppError &error) {
        QCOMPARE(error.kind(), AppError::Kind::SubscriptOutOfRange);
    }
}

void tst_MainWindow::hiddenControlsStayHidden()
{
    WindowFixture fixture(settingsFile("False", "1", "1"));
    fixture.start();
    frmMain &window = *fixture.window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.size(), QSize(873, 713));
    QVERIFY(!window.Command2->isVisible());
    QVERIFY(!window.Image2->isVisible());
    QVERIFY(window.Image1->isVisible());
    QCOMPARE(window.Image1->pixmap().size(), QSize(626, 98));
    // The hidden scale row lies wholly above its frame.
    QVERIFY(window.Label4[24]->geometry().bottom() < 0);
    QVERIFY(window.Label4[24]->parentWidget() == window.Frame5);
}

void tst_MainWindow::barsStandInFrontOfTheScale()
{
    WindowFixture fixture;
    const frmMain &window = *fixture.window;
    // Among siblings, a later child is painted over an earlier one.
    const QObjectList stack = window.Frame5->children();
    const auto position = [&stack](QWidget *widget) {
        return stack.indexOf(widget);
    };
    int frontmostRow = -1;
    for (int index : window.Label4.indexes())
        frontmostRow = std::max(frontmostRow, int(position(window.Label4[index])));
    for (int bar : window.Label5.indexes())
        QVERIFY(position(window.Label5[bar]) > frontmostRow);
    // Text rows cover dash rows, which cover the plain bands.
    QVERIFY(position(window.Label4[3]) > position(window.Label4[13]));
    QVERIFY(position(window.Label4[13]) > position(window.Label4[21]));
}

void tst_MainWindow::tabOrderFollowsTheDesign()
{
    WindowFixture fixture;
    frmMain &window = *fixture.window;
    const QList<QWidget *> expected = {
        window.ShockwaveFlash1, window.Command1, window.Command2, window.Command3, window.Command4,
        window.ShockwaveFlash2, window.Text1[0], window.Text1[1], window.Text1[2]};
    QList<QWidget *> chain;
    QWidget *widget = window.ShockwaveFlash1;
    do {
        if (expected.contains(widget))
            chain << widget;
        widget = widget->nextInFocusChain();
    } while (widget != window.ShockwaveFlash1 && chain.size() < expected.size());
    QCOMPARE(chain, expected);
}

void tst_MainWindow::terminationSignalClosesLikeTheUser_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

namespace {
// Starts the real executable, copied beside the given settings folder, so
// that it finds its settings file there.
void startCopy(QProcess &app, const QTemporaryDir &folder)
{
    const QString executable = folder.filePath(QStringLiteral("wind-condition"));
    QVERIFY(QFile::copy(QStringLiteral(WIND_CONDITION_EXE), executable));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    app.setProcessEnvironment(environment);
    app.start(executable, {});
    QVERIFY(app.waitForStarted());
}
} // namespace

// A signal must write the settings back and end with status 0.
void tst_MainWindow::terminationSignalClosesLikeTheUser()
{
    QFETCH(int, signalNumber);
    QTemporaryDir folder;
    QFile settingsFile(folder.filePath(QStringLiteral("Application.ini")));
    QProcess app;
    startCopy(app, folder);
    QTRY_VERIFY_WITH_TIMEOUT(settingsFile.exists(), 10000);
    // Let example mode take a few steps so the values change.
    QTest::qWait(1500);
    ::kill(pid_t(app.processId()), signalNumber);
    QVERIFY(app.waitForFinished(10000));
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 0);

    QVERIFY(settingsFile.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = settingsFile.readAll().split('\n');
    QCOMPARE(lines.size(), 7);
    QCOMPARE(lines[0], QByteArray("[PARAMETRES]\r"));
    QCOMPARE(lines[1], QByteArray("SerialPort1-COM=1\r"));
    QCOMPARE(lines[2], QByteArray("DummyMode=True\r"));
    QCOMPARE(lines[3], QByteArray("[VALUES]\r"));
    QVERIFY(lines[4].startsWith("Angle="));
    QVERIFY(lines[5].startsWith("Wind="));
}

// The start-up error box ends with the process, with a failure status and
// the file as it was.
void tst_MainWindow::failedStartEndsWithFailureStatus()
{
    QTemporaryDir folder;
    const QByteArray broken(
        "[PARAMETRES]\r\nSerialPort1-COM=1\r\n[VALUES]\r\nAngle=1\r\nWind=1\r\n");
    QFile settingsFile(folder.filePath(QStringLiteral("Application.ini")));
    QVERIFY(settingsFile.open(QIODevice::WriteOnly));
    settingsFile.write(broken);
    settingsFile.close();

    QProcess app;
    startCopy(app, folder);
    QVERIFY(!app.waitForFinished(1500));
    ::kill(pid_t(app.processId()), SIGTERM);
    QVERIFY(app.waitForFinished(10000));
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QVERIFY(app.exitCode() != 0);
    QVERIFY(settingsFile.open(QIODevice::ReadOnly));
    QCOMPARE(settingsFile.readAll(), broken);
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
