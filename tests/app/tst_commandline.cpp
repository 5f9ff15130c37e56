// SPDX-License-Identifier: MIT
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// The real executable, copied into a temporary folder so that its settings
// file (beside it, in a build made to run from its tree) is the test's own.
class tst_CommandLine : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void answersOnTheConsole_data();
    void answersOnTheConsole();
    void windowStartsAndCloses_data();
    void windowStartsAndCloses();

private:
    void start(QProcess &app, const QStringList &arguments);

    std::unique_ptr<QTemporaryDir> m_folder;
};

void tst_CommandLine::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(QFile::copy(QStringLiteral(WIND_CONDITION_EXE),
                        m_folder->filePath(QStringLiteral("wind-condition"))));
}

void tst_CommandLine::start(QProcess &app, const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // No window system: an answer on the console must not need one.
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    app.setProcessEnvironment(environment);
    app.start(m_folder->filePath(QStringLiteral("wind-condition")), arguments);
    QVERIFY(app.waitForStarted());
}

void tst_CommandLine::answersOnTheConsole_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    // A regular expression, FOLDER standing for the executable's folder.
    QTest::addColumn<QString>("standardOutput");
    QTest::addColumn<QString>("standardError");

    const QString settingsLine = QStringLiteral("Settings file: FOLDER/Application.ini\n");
    QTest::newRow("--help names every option")
        << QStringList{"--help"} << 0 << "--version[\\s\\S]*--list-ports[\\s\\S]*--night"
        << "";
    QTest::newRow("-h is --help") << QStringList{"-h"} << 0 << "--list-ports"
                                  << "";
    QTest::newRow("--version") << QStringList{"--version"} << 0
                               << "^wind-condition \\d+\\.\\d+(\\.\\d+)?\n$"
                               << "";
    QTest::newRow("--list-ports names the settings file beside the executable")
        << QStringList{"--list-ports"} << 0 << QRegularExpression::escape(settingsLine) << "";
    QTest::newRow("Qt's options pass through to the answer")
        << QStringList{"-platform", "offscreen", "--list-ports"} << 0
        << QRegularExpression::escape(settingsLine) << "";
    QTest::newRow("Qt's --help-all is not offered") << QStringList{"--help-all"} << 2 << "^$"
                                                    << "wind-condition: Unknown option 'help-all'.";
    QTest::newRow("unknown option") << QStringList{"--colour"} << 2 << "^$"
                                    << "wind-condition: Unknown option 'colour'.";
    QTest::newRow("file argument") << QStringList{"Application.ini"} << 2 << "^$"
                                   << "wind-condition: Unexpected argument 'Application.ini'.";
}

void tst_CommandLine::answersOnTheConsole()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, standardOutput);
    QFETCH(QString, standardError);

    QProcess app;
    start(app, arguments);
    QVERIFY(app.waitForFinished(10000));
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    const QString out = QString::fromLocal8Bit(app.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(app.readAllStandardError());
    QCOMPARE(app.exitCode(), exitCode);
    const QRegularExpression expected(standardOutput.replace(
        QStringLiteral("FOLDER"), QRegularExpression::escape(m_folder->path())));
    QVERIFY2(expected.match(out).hasMatch(), qPrintable(out));
    QVERIFY2(standardError.isEmpty() ? err.isEmpty() : err.startsWith(standardError),
             qPrintable(err));
    // An answer creates no settings file.
    QVERIFY(!QFile::exists(m_folder->filePath(QStringLiteral("Application.ini"))));
}

void tst_CommandLine::windowStartsAndCloses_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("night"); // kept in the settings file at close

    QTest::newRow("Qt's own option passes through") << QStringList() << false;
    QTest::newRow("--night starts with night colours, kept at close")
        << QStringList{"--night"} << true;
}

// The window starts with Qt's own option, which the command line lets
// through, and closes on a signal as it does without it, writing its
// settings.
void tst_CommandLine::windowStartsAndCloses()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, night);
    QProcess app;
    start(app, QStringList{"-platform", "offscreen"} + arguments);
    QFile settings(m_folder->filePath(QStringLiteral("Application.ini")));
    QTRY_VERIFY_WITH_TIMEOUT(settings.exists(), 10000);
    ::kill(pid_t(app.processId()), SIGTERM);
    QVERIFY(app.waitForFinished(10000));
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 0);
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QCOMPARE(settings.readAll().contains("[VIEW]\r\nNight=True"), night);
}

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
