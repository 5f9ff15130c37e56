// SPDX-License-Identifier: MIT
#include "platform/desktopnotifier.h"

#include "notificationservice.h"

#include <QDBusConnection>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class tst_DesktopNotifier : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void criticalUntilClearedOrAcknowledged();
    void withoutAService_data();
    void withoutAService();

private:
    // Connects the fake service to the bus, on a connection of its own.
    void startService();
    QDBusConnection client(const QString &address = QString());

    std::unique_ptr<PrivateBus> m_bus;
    std::unique_ptr<FakeNotifications> m_service;
    QStringList m_connections;
    // Connection names are never reused: a name stays taken while anything
    // holds its connection.
    int m_connectionCount = 0;
};

void tst_DesktopNotifier::init()
{
    // Nothing may be printed, with or without a service.
    QTest::failOnWarning(QRegularExpression(".*"));
    m_bus = std::make_unique<PrivateBus>();
    QVERIFY2(!m_bus->address().isEmpty(), "dbus-daemon did not start (Debian: dbus-daemon)");
    m_service = std::make_unique<FakeNotifications>();
}

void tst_DesktopNotifier::cleanup()
{
    for (const QString &name : std::as_const(m_connections))
        QDBusConnection::disconnectFromBus(name);
    m_connections.clear();
    m_service.reset();
    m_bus.reset();
}

void tst_DesktopNotifier::startService()
{
    const QString name = QStringLiteral("service%1").arg(++m_connectionCount);
    m_connections << name;
    QDBusConnection bus = QDBusConnection::connectToBus(m_bus->address(), name);
    QVERIFY(m_service->serveOn(bus));
}

QDBusConnection tst_DesktopNotifier::client(const QString &address)
{
    const QString name = QStringLiteral("client%1").arg(++m_connectionCount);
    m_connections << name;
    return QDBusConnection::connectToBus(address.isEmpty() ? m_bus->address() : address, name);
}

void tst_DesktopNotifier::criticalUntilClearedOrAcknowledged()
{
    startService();
    DesktopNotifier notifier(client());
    QSignalSpy availability(&notifier, &DesktopNotifier::availabilityChanged);
    QSignalSpy acknowledged(&notifier, &DesktopNotifier::acknowledged);
    const QList<FakeNotifications::Notified> &notified = m_service->notified;

    notifier.notify(1, "Gust above 35 kn", "36.1 kn");
    notifier.notify(2, "Mean above 25 kn", "26 kn");
    // Cleared before the service answered: closed once it has.
    notifier.close(2);
    QTRY_COMPARE(m_service->closed.size(), 1);
    QCOMPARE(m_service->closed[0], notified[1].id);
    QCOMPARE(notified[0].summary, "Gust above 35 kn");
    QCOMPARE(notified[0].urgency.metaType(), QMetaType::fromType<uchar>());
    QCOMPARE(notified[0].urgency.value<uchar>(), 2);
    QCOMPARE(notified[0].actions, (QStringList{"acknowledge", "Acknowledge"}));

    // A new figure replaces the alarm's notification.
    notifier.notify(1, "Gust above 35 kn", "37.0 kn");
    notifier.notify(3, "No reading", "20 s");
    QTRY_COMPARE(notified.size(), 4);
    QCOMPARE(notified[2].replacesId, notified[0].id);

    // Only the Acknowledge button and a click on the notification
    // acknowledge, and only the application's own notifications. Dismissed
    // by the user, a notification's id may be handed out again: it neither
    // acknowledges nor is closed any more. Signals arrive in order, so the
    // last acknowledgement shows that all before it have been seen.
    emit m_service->ActionInvoked(notified[0].id, "snooze");
    emit m_service->ActionInvoked(999, "acknowledge");
    emit m_service->ActionInvoked(notified[3].id, "default");
    emit m_service->NotificationClosed(notified[0].id, 2);
    emit m_service->ActionInvoked(notified[0].id, "acknowledge");
    emit m_service->ActionInvoked(notified[3].id, "acknowledge");
    QTRY_COMPARE(acknowledged.size(), 2);
    QCOMPARE(acknowledged[0][0].toInt(), 3);
    QCOMPARE(acknowledged[1][0].toInt(), 3);
    notifier.close(1);
    notifier.close(3);
    QTRY_COMPARE(m_service->closed.size(), 2);
    QCOMPARE(m_service->closed[1], notified[3].id);
    // The next episode is a new notification.
    notifier.notify(3, "No reading", "20 s");
    QTRY_COMPARE(notified.size(), 5);
    QCOMPARE(notified[4].replacesId, 0u);
    QVERIFY(notifier.isAvailable());
    QCOMPARE(availability.size(), 0);
}

void tst_DesktopNotifier::withoutAService_data()
{
    QTest::addColumn<bool>("hasBus");
    QTest::newRow("a bus without the service") << true;
    QTest::newRow("no bus at all") << false;
}

void tst_DesktopNotifier::withoutAService()
{
    QFETCH(bool, hasBus);

    QTemporaryDir nowhere;
    DesktopNotifier notifier(hasBus ? client() : client("unix:path=" + nowhere.filePath("bus")));
    notifier.notify(1, "Gust", "36 kn");
    notifier.close(1);
    QTRY_VERIFY(!notifier.isAvailable());
}

QTEST_GUILESS_MAIN(tst_DesktopNotifier)
#include "tst_desktopnotifier.moc"
