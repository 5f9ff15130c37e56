// SPDX-License-Identifier: MIT
#pragma once

#include "platform/linetransport.h"

#include <QPointer>

#include <memory>

class FakeTransport;

// The sensor's end of a cable, for tests: the transports it makes deliver
// what the test feeds, fail to open when told to, and break when the test
// pulls the cable. Bytes fed while no transport is open wait, as they would
// in a device's buffer, and arrive once one opens.
class FakeLine : public QObject
{
    Q_OBJECT

public:
    FakeLine();
    ~FakeLine() override;

    // A transport of this line for the port; description "COMn".
    std::unique_ptr<LineTransport> makeTransport(int portNumber);

    // Delivered at once while a transport is open.
    void feed(const QByteArray &bytes);
    // A non-empty reason makes every open fail with it.
    void failOpenWith(const QString &reason) { m_openFailure = reason; }
    // The open transport loses its line: it fails, or with reconnecting on
    // it reports the loss; plugCable() then brings it back.
    void pullCable(const QString &reason);
    void plugCable();
    void setReconnect(bool reconnect) { m_reconnect = reconnect; }

    bool isOpen() const;
    int openCount() const { return m_openCount; }
    int closeCount() const { return m_closeCount; }
    int portNumber() const { return m_portNumber; }
    QByteArray pending() const { return m_pending; }

private:
    friend class FakeTransport;
    void opened(FakeTransport *transport);
    void closed();

    QPointer<FakeTransport> m_open;
    QByteArray m_pending;
    QString m_openFailure;
    bool m_reconnect = false;
    int m_openCount = 0;
    int m_closeCount = 0;
    int m_portNumber = 0;
};
