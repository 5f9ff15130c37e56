// SPDX-License-Identifier: MIT
#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>

class NotificationsProxy;
class QDBusPendingCallWatcher;

// Critical desktop notifications with an "Acknowledge" action, through the
// freedesktop notification service on a D-Bus bus. Each notification
// belongs to a key of the caller's (an alarm), which later closes it.
//
// Every call is asynchronous: nothing here waits for the service. Without a
// bus, or with no service on it (a bare X session), nothing is shown,
// nothing is printed, and isAvailable() turns false; a service that appears
// later is used from the next notification on.
class DesktopNotifier : public QObject
{
    Q_OBJECT

public:
    // On the session bus.
    explicit DesktopNotifier(QObject *parent = nullptr);
    DesktopNotifier(const QDBusConnection &bus, QObject *parent = nullptr);
    // Closes what is still shown.
    ~DesktopNotifier() override;

    // False without a bus, or after the service failed to answer.
    bool isAvailable() const { return m_available; }

    // Shows the key's notification, or replaces the one shown.
    void notify(int key, const QString &summary, const QString &body);
    // Takes the key's notification off the screen, also one still being
    // shown.
    void close(int key);

signals:
    // The user chose "Acknowledge" or clicked the key's notification.
    void acknowledged(int key);
    void availabilityChanged(bool available);

private:
    struct Shown
    {
        uint id = 0; // 0 until the service answers
        // Counts the requests, so that a late answer can tell it is stale.
        quint64 request = 0;
        bool closeWanted = false;
    };

    void watchReply(QDBusPendingCallWatcher *watcher, int key, quint64 request);
    void setAvailable(bool available);
    void closeId(uint id);
    void onActionInvoked(uint id, const QString &action);
    void onNotificationClosed(uint id);

    QDBusConnection m_bus;
    NotificationsProxy *m_proxy = nullptr;
    QHash<int, Shown> m_shown;
    quint64 m_requests = 0;
    bool m_available = false;
};
