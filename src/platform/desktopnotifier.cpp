// SPDX-License-Identifier: MIT
#include "desktopnotifier.h"

#include "core/logcategories.h"

#include "notificationsproxy.h"

#include <QCoreApplication>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString ObjectPath = QStringLiteral("/org/freedesktop/Notifications");
const QString AcknowledgeAction = QStringLiteral("acknowledge");
// Clicking the notification itself.
const QString DefaultAction = QStringLiteral("default");
// The notification service takes the urgency as a byte: 0 low, 1 normal, 2
// critical.
constexpr uchar CriticalUrgency = 2;

} // namespace

DesktopNotifier::DesktopNotifier(QObject *parent)
    : DesktopNotifier(QDBusConnection::sessionBus(), parent)
{ }

DesktopNotifier::DesktopNotifier(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_available(bus.isConnected())
{
    if (!m_available)
        return;
    m_proxy = new NotificationsProxy(Service, ObjectPath, m_bus, this);
    connect(m_proxy, &NotificationsProxy::ActionInvoked, this, &DesktopNotifier::onActionInvoked);
    connect(m_proxy, &NotificationsProxy::NotificationClosed, this,
            [this](uint id, uint) { onNotificationClosed(id); });
    // Asking early tells the caller at start whether the ring will be alone;
    // it also starts a service that the bus activates on demand.
    auto *watcher = new QDBusPendingCallWatcher(m_proxy->GetCapabilities(), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *call) {
                call->deleteLater();
                if (call->isError())
                    qCDebug(windAlarm) << "No desktop notifications:" << call->error().message();
                setAvailable(!call->isError());
            });
}

DesktopNotifier::~DesktopNotifier()
{
    for (const Shown &shown : std::as_const(m_shown)) {
        if (shown.id != 0)
            closeId(shown.id);
    }
}

void DesktopNotifier::notify(int key, const QString &summary, const QString &body)
{
    if (!m_proxy)
        return;
    Shown &shown = m_shown[key];
    shown.request = ++m_requests;
    shown.closeWanted = false;
    const QVariantMap hints = {{QStringLiteral("urgency"), QVariant::fromValue(CriticalUrgency)}};
    // An expiry of 0: an alarm stays until it is acknowledged or cleared.
    const QDBusPendingCall call = m_proxy->Notify(QCoreApplication::applicationName(), shown.id,
                                                  QStringLiteral("dialog-warning"), summary, body,
                                                  {AcknowledgeAction, tr("Acknowledge")}, hints, 0);
    auto *watcher = new QDBusPendingCallWatcher(call, this);
    const quint64 request = shown.request;
    connect(
        watcher, &QDBusPendingCallWatcher::finished, this,
        [this, key, request](QDBusPendingCallWatcher *reply) { watchReply(reply, key, request); });
}

void DesktopNotifier::watchReply(QDBusPendingCallWatcher *watcher, int key, quint64 request)
{
    watcher->deleteLater();
    const QDBusPendingReply<uint> reply = *watcher;
    if (reply.isError()) {
        qCDebug(windAlarm) << "A desktop notification was not shown:" << reply.error().message();
        setAvailable(false);
        return;
    }
    setAvailable(true);
    const uint id = reply.value();
    const auto shown = m_shown.find(key);
    const bool current = shown != m_shown.end() && shown->request == request;
    if (current && !shown->closeWanted) {
        shown->id = id;
        return;
    }
    // Closed while the service was answering, or replaced meanwhile by a
    // newer request: this notification must not stay, unless the newer
    // request took over its id.
    const bool takenOver = shown != m_shown.end() && !current && shown->id == id;
    if (current)
        m_shown.erase(shown);
    if (!takenOver)
        closeId(id);
}

void DesktopNotifier::close(int key)
{
    const auto shown = m_shown.find(key);
    if (shown == m_shown.end())
        return;
    if (shown->id != 0)
        closeId(shown->id);
    // A request still under way closes its notification when answered.
    shown->id = 0;
    shown->closeWanted = true;
}

void DesktopNotifier::closeId(uint id)
{
    if (!m_proxy)
        return;
    // Nobody waits for the answer; a notification already gone is no error
    // worth telling.
    auto *watcher = new QDBusPendingCallWatcher(m_proxy->CloseNotification(id), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
            &QDBusPendingCallWatcher::deleteLater);
}

void DesktopNotifier::setAvailable(bool available)
{
    if (m_available == available)
        return;
    m_available = available;
    emit availabilityChanged(available);
}

void DesktopNotifier::onActionInvoked(uint id, const QString &action)
{
    if (action != AcknowledgeAction && action != DefaultAction)
        return;
    for (auto shown = m_shown.cbegin(); shown != m_shown.cend(); ++shown) {
        if (shown->id == id && id != 0) {
            emit acknowledged(shown.key());
            return;
        }
    }
}

void DesktopNotifier::onNotificationClosed(uint id)
{
    // The id is the service's to hand out again; a later close must not hit
    // another program's notification.
    for (auto shown = m_shown.begin(); shown != m_shown.end(); ++shown) {
        if (shown->id == id && id != 0) {
            shown->id = 0;
            return;
        }
    }
}
