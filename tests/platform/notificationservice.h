// SPDX-License-Identifier: MIT
#pragma once

// A D-Bus session of the test's own and a notification service on it that
// records what it is asked, for the tests of the alarms' desktop
// notifications.

#include <QDBusConnection>
#include <QFile>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>

// A message bus of the test's own, in a temporary folder, that lets anyone
// own any name.
class PrivateBus
{
public:
    PrivateBus()
    {
        const QString config = m_folder.filePath("bus.conf");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write("<busconfig><type>session</type><listen>unix:dir=" + m_folder.path().toUtf8()
                   + "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow "
                     "send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                     "<allow own=\"*\"/></policy></busconfig>\n");
        file.close();
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {"--config-file=" + config, "--print-address=1", "--nofork"});
        if (m_daemon.waitForReadyRead(10000))
            m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }

    QString address() const { return m_address; }

private:
    QTemporaryDir m_folder;
    QProcess m_daemon;
    QString m_address;
};

// Records what a notification service is asked and can answer as the user
// would.
class FakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Notified
    {
        uint id = 0;
        uint replacesId = 0;
        QString summary;
        QStringList actions;
        QVariant urgency;
    };
    QList<Notified> notified;
    QList<uint> closed;

    // Serves on its own connection to the bus; false when the bus refuses.
    bool serveOn(QDBusConnection bus)
    {
        return bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                  QDBusConnection::ExportAllSlots
                                      | QDBusConnection::ExportAllSignals)
            && bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }

public slots:
    QStringList GetCapabilities() { return {"actions", "body"}; }
    uint Notify(const QString &, uint replacesId, const QString &, const QString &summary,
                const QString &, const QStringList &actions, const QVariantMap &hints, int)
    {
        const uint id = replacesId != 0 ? replacesId : ++m_lastId;
        notified.append({id, replacesId, summary, actions, hints.value("urgency")});
        return id;
    }
    void CloseNotification(uint id)
    {
        closed.append(id);
        emit NotificationClosed(id, 3);
    }

signals:
    void ActionInvoked(uint id, const QString &actionKey);
    void NotificationClosed(uint id, uint reason);

private:
    uint m_lastId = 0;
};
