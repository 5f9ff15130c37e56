#pragma once

// A main window on a temporary settings folder and a fake serial control,
// with message boxes and fatal errors recorded instead of shown.

#include "platform/fakeserialcontrol.h"
#include "shell/errorguard.h"
#include "shell/frmmain.h"
#include "shell/messages.h"
#include "shell/module1.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

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
    explicit WindowFixture(const QByteArray &settingsFile = {})
        : settings(folder.path(), folder.path() + QStringLiteral("/config"))
    {
        if (!settingsFile.isNull())
            writeSettings(settingsFile);
        auto fake = std::make_unique<FakeSerialControl>();
        serial = fake.get();
        window = std::make_unique<frmMain>(settings, std::move(fake));
        m_previousPresenter = setMessagePresenter(
            [this](QWidget *, const QString &title, const QString &text, MessageIcon icon) {
                messages.append({title, text, icon});
            });
        m_previousFatal = setFatalErrorHandler(
            [this](const QString &description) { fatalErrors.append(description); });
    }

    ~WindowFixture()
    {
        setMessagePresenter(m_previousPresenter);
        setFatalErrorHandler(m_previousFatal);
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

    void start()
    {
        window->Form_Initialize();
        window->Form_Load();
    }

    QTemporaryDir folder;
    Module1 settings;
    FakeSerialControl *serial = nullptr;
    std::unique_ptr<frmMain> window;
    QList<RecordedMessage> messages;
    QStringList fatalErrors;

private:
    MessagePresenter m_previousPresenter;
    FatalErrorHandler m_previousFatal;
};

inline QByteArray settingsFile(const char *exampleMode, const char *angle, const char *wind,
                               const char *port = "1")
{
    return QByteArray("[PARAMETRES]\r\nSerialPort1-COM=") + port + "\r\nDummyMode=" + exampleMode
        + "\r\n[VALUES]\r\nAngle=" + angle + "\r\nWind=" + wind + "\r\n";
}
