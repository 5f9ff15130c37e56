// SPDX-License-Identifier: MIT
#pragma once

// A main window on a temporary settings folder and a fake serial line (or
// the real serial port on a given device, or the input the settings file
// chooses, as the application makes it), with message boxes and fatal
// errors recorded instead of shown. The fixture is the window's friend: tests
// reach its controls and state only through it.

#include "../settingsfiles.h"

#include "app/errorguard.h"
#include "app/messages.h"
#include "app/portdialog.h"
#include "app/windwindow.h"
#include "core/sensorframereader.h"
#include "core/settingsfile.h"
#include "feed/windfeed.h"
#include "feed/windinput.h"
#include "platform/fakeline.h"
#include "platform/serialtransport.h"
#include "platform/windlink.h"

#include <QFile>
#include <QLocale>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

struct RecordedMessage
{
    QString title;
    QString text;
    MessageIcon icon;
};

class WindowFixture
{
public:
    // The feed's wind and modes, to read and to set up.
    struct State
    {
        double &directionDegrees;
        double &speedMetresPerSecond;
        qint16 &portNumber;
        bool &listening;
        bool &exampleModeOn;
        bool &running;
    };

    // With a fake serial line; settingsFile, when given, is written first.
    explicit WindowFixture(const QByteArray &settingsFile = {})
        : WindowFixture(settingsFile, QString())
    { }

    // With the real serial port, which opens device whatever the port.
    WindowFixture(const QByteArray &settingsFile, const QString &device)
        : WindowFixture(
            settingsFile,
            device.isEmpty() ? SerialTransport::DeviceResolver() : [device](int) { return device; })
    { }

    // With the input that the settings file's [INPUT] and [PORTS] sections
    // choose, read by start() as the application reads it.
    struct InputFromSettings
    {
    };
    WindowFixture(const QByteArray &settingsFile, InputFromSettings)
        : WindowFixture(settingsFile, QString())
    {
        line.reset();
        input = std::make_unique<WindInput>(settings);
    }

    // With the real serial port, which asks resolver for the device at
    // every opening; with a fake line when resolver is empty.
    WindowFixture(const QByteArray &settingsFile, SerialTransport::DeviceResolver resolver)
        : settings(folder.path(), folder.path() + QStringLiteral("/config"))
    {
        // Every test starts from a locale with a decimal point, whatever the
        // machine's or the last test's; a test that needs another sets it
        // once the fixture exists.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        if (!settingsFile.isNull())
            writeSettings(settingsFile);
        if (!resolver)
            line = std::make_unique<FakeLine>();
        const auto makeLink = [this, resolver](int port) {
            if (input)
                return input->makeLink(port);
            std::unique_ptr<LineTransport> transport;
            if (line) {
                transport = line->makeTransport(port);
            } else {
                auto serial = std::make_unique<SerialTransport>(port, resolver);
                serial->setReconnect(reconnect);
                transport = std::move(serial);
            }
            return std::make_unique<WindLink>(std::move(transport),
                                              std::make_unique<SensorFrameReader>());
        };
        feed = std::make_unique<WindFeed>(makeLink);
        window = std::make_unique<WindWindow>(settings, *feed);
        m_previousPresenter = setMessagePresenter(
            [this](QWidget *, const QString &title, const QString &text, MessageIcon icon) {
                messages.append({title, text, icon});
            });
        m_previousFatal = setFatalErrorHandler(
            [this](const QString &description) { fatalErrors.append(description); });
    }

    ~WindowFixture()
    {
        window.reset();
        feed.reset();
        setMessagePresenter(m_previousPresenter);
        setFatalErrorHandler(m_previousFatal);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    QString settingsPath() const { return folder.path() + QStringLiteral("/Application.ini"); }

    void writeSettings(const QByteArray &content) const
    {
        QFile file(settingsPath());
        file.open(QIODevice::WriteOnly);
        file.write(content);
    }

    QByteArray readSettings() const
    {
        QFile file(settingsPath());
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }

    QStringList messageTexts() const
    {
        QStringList texts;
        for (const RecordedMessage &message : messages)
            texts << message.text;
        return texts;
    }

    void start()
    {
        window->readSettings();
        window->start();
        if (input) {
            inputProblem = input->readSettings().join(QStringLiteral("\n\n"));
            input->configure(*feed);
        }
    }

    // Clicks the listen button, then runs the steps one after another,
    // spacingMs apart, with the event loop running between them, and lets
    // it run spacingMs more after the last.
    void listenWhile(const QList<std::function<void()>> &steps, int spacingMs = 20)
    {
        controls().listenButton->click();
        for (const auto &step : steps) {
            QTest::qWait(spacingMs);
            step();
        }
        QTest::qWait(spacingMs);
    }

    // The window's insides.
    const WindWindowControls &controls() const { return window->m_controls; }
    State state() const
    {
        return {feed->m_directionDegrees, feed->m_speedMetresPerSecond, feed->m_portNumber,
                feed->m_listening,        feed->m_exampleModeOn,        feed->m_running};
    }
    // The serial port listening reads; null while idle or on a fake line.
    SerialTransport *serialPort() const
    {
        return feed->m_link ? qobject_cast<SerialTransport *>(&feed->m_link->transport()) : nullptr;
    }
    QTimer *exampleTimer() const { return feed->exampleTimer(); }
    void setStaleAfterMs(int ms) const { feed->m_staleAfterMs = ms; }
    // Listening, and no value read for WindFeed::StaleAfterMs, or the line
    // lost.
    bool areReadingsStale() const { return feed->staleness().direction && feed->staleness().speed; }
    PortDialog *portDialog() const { return window->m_portDialog.get(); }
    // Shows the feed's wind as it stands; throws the AppError of a value
    // that cannot be shown.
    void refreshDisplay() const { feed->refreshDisplay(); }
    void clearSpeedReadouts() const { window->clearSpeedReadouts(); }
    void stepExampleWalk() const { feed->stepExampleWalk(); }
    void exampleTick() const { feed->exampleTick(); }

    // The port dialog's insides.
    static QLineEdit *portNumberEdit(const PortDialog &dialog) { return dialog.m_portNumberEdit; }
    static QLabel *portLabel(const PortDialog &dialog) { return dialog.m_portLabel; }
    static QPushButton *okButton(const PortDialog &dialog) { return dialog.m_okButton; }
    static QPushButton *cancelButton(const PortDialog &dialog) { return dialog.m_cancelButton; }
    static void loadPortNumber(PortDialog &dialog) { dialog.loadPortNumber(); }

    QTemporaryDir folder;
    SettingsFile settings;
    std::unique_ptr<FakeLine> line; // null on a real device or an input from the settings
    std::unique_ptr<WindInput> input; // only for an input from the settings
    QString inputProblem; // what the input's settings gave the user to read
    bool reconnect = false; // for the real serial port, from the next start of listening
    std::unique_ptr<WindFeed> feed;
    std::unique_ptr<WindWindow> window;
    QList<RecordedMessage> messages;
    QStringList fatalErrors;

private:
    MessagePresenter m_previousPresenter;
    FatalErrorHandler m_previousFatal;
};
