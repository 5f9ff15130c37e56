// SPDX-License-Identifier: MIT
#include "windowfixture.h"

#include "widgets/clockwidget.h"
#include "widgets/compasswidget.h"

#include "widgets/barlabel.h"
#include "widgets/framebox.h"
#include "widgets/pngpicture.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>

class tst_WindWindow : public QObject
{
    Q_OBJECT

private slots:
    void firstStartCreatesDefaultsAndRunsExampleMode();
    void startupFailureNamesTheSettingAndLeavesTheFile_data();
    void startupFailureNamesTheSettingAndLeavesTheFile();
    void startupConversions_data();
    void startupConversions();
    void settingsWrittenAtCloseReadBack_data();
    void settingsWrittenAtCloseReadBack();
    void storedValuesAreCorrectedByTheFirstRefresh();
    void failedWriteAtCloseStillCloses();
    void inspectorNamesKeepTheirIndexes_data();
    void inspectorNamesKeepTheirIndexes();
    void inspectorNamesOfSingleControls();
    void hiddenControlsStayHidden();
    void barsStandInFrontOfTheScale();
    void tabOrderRunsFromCompassToConditionBoxes();
    void terminationSignalClosesLikeTheUser_data();
    void terminationSignalClosesLikeTheUser();
    void failedStartEndsWithFailureStatus();
    void startLoadsNoImagePlugin();
    void artwork_data();
    void artwork();
};

void tst_WindWindow::firstStartCreatesDefaultsAndRunsExampleMode()
{
    WindowFixture fixture;
    fixture.start();

    QCOMPARE(fixture.readSettings(),
             QByteArray("[PARAMETRES]\r\nSerialPort1-COM=1\r\nDummyMode=True\r\n"
                        "[VALUES]\r\nAngle=1\r\nWind=1\r\n"));
    QVERIFY(fixture.state().running);
    QVERIFY(fixture.state().exampleModeOn);
    QVERIFY(fixture.exampleTimer()->isActive());
    QCOMPARE(fixture.controls().exampleModeButton->text(), QStringLiteral("Stop Example Mode"));
    QCOMPARE(fixture.state().directionDegrees, 1.0);
    QCOMPARE(fixture.state().speedMetresPerSecond, 1.0);
    QCOMPARE(fixture.state().portNumber, qint16(1));
}

void tst_WindWindow::startupFailureNamesTheSettingAndLeavesTheFile_data()
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
    QTest::newRow("port 0 names no port")
        << settingsFile("True", "1", "1", "0") << int(AppError::Kind::SerialError) << "PARAMETRES"
        << "SerialPort1-COM";
    QTest::newRow("empty file") << QByteArray("") << mismatch << "PARAMETRES"
                                << "DummyMode";
}

void tst_WindWindow::startupFailureNamesTheSettingAndLeavesTheFile()
{
    QFETCH(QByteArray, file);
    QFETCH(int, kind);
    QFETCH(QString, section);
    QFETCH(QString, key);

    WindowFixture fixture(file);
    try {
        fixture.window->readSettings();
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

void tst_WindWindow::startupConversions_data()
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

void tst_WindWindow::startupConversions()
{
    QFETCH(QByteArray, exampleMode);
    QFETCH(QByteArray, port);
    QFETCH(bool, expectedExampleMode);
    QFETCH(int, expectedPort);

    WindowFixture fixture(settingsFile(exampleMode, "10", "2", port));
    fixture.start();
    QCOMPARE(fixture.state().exampleModeOn, expectedExampleMode);
    QCOMPARE(fixture.exampleTimer()->isActive(), expectedExampleMode);
    QCOMPARE(int(fixture.state().portNumber), expectedPort);
}

void tst_WindWindow::settingsWrittenAtCloseReadBack_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QByteArray>("angleLine");
    QTest::addColumn<QByteArray>("windLine");

    QTest::newRow("decimal point") << QLocale(QLocale::English, QLocale::UnitedStates)
                                   << QByteArray("Angle=123.25") << QByteArray("Wind=0.5");
    QTest::newRow("decimal comma") << QLocale(QLocale::German, QLocale::Germany)
                                   << QByteArray("Angle=123,25") << QByteArray("Wind=0,5");
}

void tst_WindWindow::settingsWrittenAtCloseReadBack()
{
    QFETCH(QLocale, locale);
    QFETCH(QByteArray, angleLine);
    QFETCH(QByteArray, windLine);
    WindowFixture fixture(settingsFile("False", "1", "1"));
    QLocale::setDefault(locale);
    fixture.start();
    fixture.state().directionDegrees = 123.25;
    fixture.state().speedMetresPerSecond = 0.5;
    fixture.state().portNumber = 7;
    fixture.feed->toggleExampleMode();
    fixture.window->close();
    QVERIFY(!fixture.state().running);

    const QByteArray written = fixture.readSettings();
    QVERIFY2(written.contains(angleLine + "\r\n"), written.constData());
    QVERIFY2(written.contains(windLine + "\r\n"), written.constData());
    QVERIFY2(written.contains("DummyMode=True\r\n"), written.constData());
    QVERIFY2(written.contains("SerialPort1-COM=7\r\n"), written.constData());

    WindFeed nextFeed([](int) { return nullptr; });
    WindWindow next(fixture.settings, nextFeed);
    next.readSettings();
    QCOMPARE(nextFeed.directionDegrees(), 123.25);
    QCOMPARE(nextFeed.speedMetresPerSecond(), 0.5);
    QVERIFY(nextFeed.isExampleModeOn());
    QCOMPARE(nextFeed.portNumber(), 7);
}

void tst_WindWindow::storedValuesAreCorrectedByTheFirstRefresh()
{
    WindowFixture fixture(settingsFile("False", "400", "-3"));
    fixture.start();
    WindWindow &window = *fixture.window;
    QVERIFY(!fixture.exampleTimer()->isActive());
    QCOMPARE(fixture.controls().degreesReadout->text(), QStringLiteral("40"));
    QCOMPARE(fixture.controls().compassPointReadout->text(), QStringLiteral("NE"));
    const WindWindowControls &controls = fixture.controls();
    for (QLabel *readout : {controls.kmhReadout, controls.mphReadout, controls.knotsReadout})
        QCOMPARE(readout->text(), QStringLiteral("0.0"));

    window.close();
    const QByteArray written = fixture.readSettings();
    QVERIFY2(written.contains("Angle=40\r\n"), written.constData());
    QVERIFY2(written.contains("Wind=0\r\n"), written.constData());
    QVERIFY2(written.contains("DummyMode=False\r\n"), written.constData());
}

void tst_WindWindow::failedWriteAtCloseStillCloses()
{
    WindowFixture fixture(settingsFile("False", "5", "1"));
    fixture.start();
    // A folder where the settings file used to be makes every write fail.
    QFile::remove(fixture.settingsPath());
    QVERIFY(QDir().mkdir(fixture.settingsPath()));
    fixture.window->show();
    QVERIFY(fixture.window->close());
    QVERIFY(!fixture.state().running);
    QVERIFY(fixture.fatalErrors.isEmpty());
}

void tst_WindWindow::inspectorNamesKeepTheirIndexes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<int>>("indexes");

    QTest::newRow("Label1") << "Label1" << QList<int>{0, 1, 5, 8, 9, 10, 11, 12, 13, 14, 15};
    QTest::newRow("Label2") << "Label2" << QList<int>{3};
    QList<int> scaleRows;
    for (int i = 0; i <= 30; ++i)
        scaleRows << i;
    QTest::newRow("Label4") << "Label4" << scaleRows;
    QTest::newRow("Label5") << "Label5" << QList<int>{1, 2, 3, 4};
    QTest::newRow("Text1") << "Text1" << QList<int>{0, 1, 2};
    QTest::newRow("Frame1") << "Frame1" << QList<int>{2, 3};
}

// A widget inspector finds every control under its form-designer name,
// each exactly once.
void tst_WindWindow::inspectorNamesKeepTheirIndexes()
{
    QFETCH(QString, name);
    QFETCH(QList<int>, indexes);

    WindowFixture fixture;
    QList<int> found;
    for (const QObject *control : fixture.window->findChildren<QObject *>(
             QRegularExpression(QStringLiteral("^%1_(\\d+)$").arg(name))))
        found << control->objectName().section(u'_', 1).toInt();
    std::sort(found.begin(), found.end());
    QCOMPARE(found, indexes);
}

void tst_WindWindow::inspectorNamesOfSingleControls()
{
    WindowFixture fixture;
    const QStringList names = {
        "Command1", "Command2",        "Command3",        "Command4",        "Timer1",
        "Frame2",   "Frame3",          "Frame4",          "Frame5",          "Image1",
        "Image2",   "SerialPortTimer", "ShockwaveFlash1", "ShockwaveFlash2",
    };
    // The feed holds the timers.
    for (const QString &name : names)
        QCOMPARE(fixture.window->findChildren<QObject *>(name).size()
                     + fixture.feed->findChildren<QObject *>(name).size(),
                 1);
}

void tst_WindWindow::hiddenControlsStayHidden()
{
    WindowFixture fixture(settingsFile("False", "1", "1"));
    fixture.start();
    WindWindow &window = *fixture.window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.size(), QSize(873, 713));
    QVERIFY(!fixture.controls().hiddenButton->isVisible());
    QVERIFY(!fixture.controls().warningSign->isVisible());
    QVERIFY(fixture.controls().banner->isVisible());
    QCOMPARE(fixture.controls().banner->pixmap().size(), QSize(626, 98));
    // The hidden scale row lies wholly above its frame.
    QVERIFY(fixture.controls().hiddenScaleRow->geometry().bottom() < 0);
    QVERIFY(fixture.controls().hiddenScaleRow->parentWidget() == fixture.controls().scaleFrame);
}

void tst_WindWindow::barsStandInFrontOfTheScale()
{
    WindowFixture fixture;
    const WindWindowControls &controls = fixture.controls();
    // Among siblings, a later child is painted over an earlier one.
    const QObjectList stack = controls.scaleFrame->children();
    const auto frontmost = [&stack](const QList<QLabel *> &rows) {
        int position = -1;
        for (QLabel *row : rows)
            position = std::max(position, int(stack.indexOf(row)));
        return position;
    };
    const auto backmost = [&stack](const QList<QLabel *> &rows) {
        int position = int(stack.size());
        for (QLabel *row : rows)
            position = std::min(position, int(stack.indexOf(row)));
        return position;
    };
    QCOMPARE(controls.scaleBands.size() + controls.scaleDashRows.size()
                 + controls.scaleTextRows.size(),
             30);
    for (BarLabel *bar : controls.speedBars)
        QVERIFY(stack.indexOf(bar) > frontmost(controls.scaleTextRows));
    // Text rows cover dash rows, which cover the plain bands.
    QVERIFY(backmost(controls.scaleTextRows) > frontmost(controls.scaleDashRows));
    QVERIFY(backmost(controls.scaleDashRows) > frontmost(controls.scaleBands));
}

void tst_WindWindow::tabOrderRunsFromCompassToConditionBoxes()
{
    WindowFixture fixture;
    const QList<QWidget *> expected
        = {fixture.controls().compassGauge,   fixture.controls().listenButton,
           fixture.controls().hiddenButton,   fixture.controls().exampleModeButton,
           fixture.controls().portButton,     fixture.controls().clockGauge,
           fixture.controls().descriptionBox, fixture.controls().seaBox,
           fixture.controls().landBox};
    QList<QWidget *> chain;
    QWidget *widget = fixture.controls().compassGauge;
    do {
        if (expected.contains(widget))
            chain << widget;
        widget = widget->nextInFocusChain();
    } while (widget != fixture.controls().compassGauge && chain.size() < expected.size());
    QCOMPARE(chain, expected);
}

void tst_WindWindow::terminationSignalClosesLikeTheUser_data()
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
void tst_WindWindow::terminationSignalClosesLikeTheUser()
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
void tst_WindWindow::failedStartEndsWithFailureStatus()
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

// Before artwork(), which loads them: the window reads its pictures without
// Qt's image format plugins.
void tst_WindWindow::startLoadsNoImagePlugin()
{
    WindowFixture fixture(settingsFile("False", "1", "1"));
    fixture.start();
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        QSKIP("The loaded libraries can only be listed on Linux");
    QVERIFY(!maps.readAll().contains("/imageformats/"));
}

void tst_WindWindow::artwork_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");

    QTest::newRow("small icon") << ":/icon-16.png" << QSize(16, 16);
    QTest::newRow("medium icon") << ":/icon-32.png" << QSize(32, 32);
    QTest::newRow("large icon") << ":/icon-48.png" << QSize(48, 48);
    QTest::newRow("banner") << ":/banner.png" << QSize(626, 98);
    QTest::newRow("warning triangle") << ":/warning.png" << QSize(73, 57);
}

// The pictures are compiled into the library; a program that links it must
// find them without registering anything itself.
void tst_WindWindow::artwork()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);

    const QPixmap picture(path);
    QVERIFY2(!picture.isNull(), qPrintable(path));
    QCOMPARE(picture.size(), size);
    QCOMPARE(loadPngPicture(path).toImage(), picture.toImage());
}

QTEST_MAIN(tst_WindWindow)
#include "tst_windwindow.moc"
