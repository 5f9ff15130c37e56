#pragma once

#include "serialcontrol.h"

#include <QByteArray>
#include <QString>

// An in-memory serial control for tests: a test feeds received bytes and can
// make opening or reading fail.
class FakeSerialControl : public SerialControl
{
public:
    qint16 portNumber() const override { return m_commPort; }
    void setPortNumber(qint16 port) override;
    void setInputLength(qint16 length) override { m_inputLen = length; }
    bool isOpen() const override { return m_open; }
    void setOpen(bool open) override;
    int waitingCount() override;
    QString takeInput() override;

    void feed(const QByteArray &bytes) { m_received += bytes; }
    // A non-empty reason makes the next open, or every read, fail with it.
    void failOpenWith(const QString &reason) { m_openFailure = reason; }
    void failReadsWith(const QString &reason) { m_readFailure = reason; }

    qint16 inputLength() const { return m_inputLen; }
    int openCount() const { return m_openCount; }
    int closeCount() const { return m_closeCount; }
    QByteArray pending() const { return m_received; }

private:
    [[noreturn]] void fail(const QString &reason) const;

    qint16 m_commPort = 1;
    qint16 m_inputLen = 0;
    bool m_open = false;
    int m_openCount = 0;
    int m_closeCount = 0;
    QByteArray m_received;
    QString m_openFailure;
    QString m_readFailure;
};
