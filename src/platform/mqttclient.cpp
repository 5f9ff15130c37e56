// SPDX-License-Identifier: MIT
#include "mqttclient.h"

#include "core/logcategories.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <mosquitto.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <deque>
#include <mutex>
#include <netdb.h>
#include <optional>

// What the caller's thread hands to the network thread: the messages waiting
// to be published, and whether a connection stands.
struct MqttOutbox
{
    QMutex mutex;
    std::deque<MqttMessage> messages;
    qint64 dropped = 0;
    std::atomic<bool> connected{false};
};

// One connection at a time, on the network thread. Each attempt gets a fresh
// libmosquitto object, so nothing of a failed attempt (a half-done TLS
// handshake, queued packets) can leak into the next; the object is used on
// this thread alone, so libmosquitto's own locking is never contended.
class MqttSession : public QObject
{
    Q_OBJECT

public:
    MqttSession(MqttConnection connection, std::shared_ptr<MqttOutbox> outbox)
        : m_connection(std::move(connection))
        , m_outbox(std::move(outbox))
        , m_home(QThread::currentThread())
    { }

    void begin();
    void drain();
    void closeCleanly();

signals:
    void connected();
    void failed(const MqttFailure &failure);

private:
    enum class State { Waiting, Connecting, Connected, Closing, Closed };

    static void onConnect(mosquitto *, void *self, int code);
    static void onDisconnect(mosquitto *, void *self, int rc);
    static void onLog(mosquitto *, void *self, int level, const char *text);

    void attempt();
    void serviceSocket();
    void afterLibraryCall(int rc);
    void becomeConnected();
    int publish(const MqttMessage &message);
    void endSession(const MqttFailure &failure);
    void endSessionAfterError(int rc, int savedErrno);
    void destroySession();
    void finish();
    void watchWrites();
    int nextRetrySeconds(MqttFailure::Kind kind);

    MqttConnection m_connection;
    std::shared_ptr<MqttOutbox> m_outbox;
    QThread *m_home; // where the client lives, and the session returns to at its end
    State m_state = State::Waiting;
    mosquitto *m_mosq = nullptr;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QTimer *m_retryTimer = nullptr;
    QTimer *m_connectTimer = nullptr; // from the attempt to the broker's answer
    QTimer *m_closeTimer = nullptr; // from the close to the DISCONNECT written
    QTimer *m_housekeepingTimer = nullptr; // keep-alive pings and their timeouts
    int m_failuresInARow = 0;
    // Set by libmosquitto's callbacks, which run inside its calls and must
    // not destroy the object they run in; acted on once the call returns.
    std::optional<int> m_connackCode;
    bool m_disconnected = false;
    int m_disconnectCode = MOSQ_ERR_SUCCESS;
    QString m_lastError;
};

namespace {

void initialiseLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

QString connackReason(int code)
{
    return QString::fromUtf8(mosquitto_connack_string(code)).toLower();
}

} // namespace

void MqttSession::begin()
{
    m_retryTimer = new QTimer(this);
    m_retryTimer->setSingleShot(true);
    connect(m_retryTimer, &QTimer::timeout, this, &MqttSession::attempt);
    m_connectTimer = new QTimer(this);
    m_connectTimer->setSingleShot(true);
    connect(m_connectTimer, &QTimer::timeout, this, [this] {
        endSession({MqttFailure::Kind::Unreachable,
                    QStringLiteral("no answer from the broker within %1 s")
                        .arg(MqttClient::ConnectTimeoutMs / 1000),
                    0});
    });
    m_closeTimer = new QTimer(this);
    m_closeTimer->setSingleShot(true);
    connect(m_closeTimer, &QTimer::timeout, this, &MqttSession::finish);
    m_housekeepingTimer = new QTimer(this);
    m_housekeepingTimer->setInterval(1000);
    connect(m_housekeepingTimer, &QTimer::timeout, this,
            [this] { afterLibraryCall(mosquitto_loop_misc(m_mosq)); });
    attempt();
}

void MqttSession::attempt()
{
    if (m_state == State::Closing || m_state == State::Closed)
        return;
    m_state = State::Connecting;
    m_connackCode.reset();
    m_disconnected = false;
    m_disconnectCode = MOSQ_ERR_SUCCESS;
    m_lastError.clear();

    m_mosq = mosquitto_new(nullptr, true, this);
    if (!m_mosq) {
        endSession({MqttFailure::Kind::Unreachable, QStringLiteral("out of memory"), 0});
        return;
    }
    mosquitto_connect_callback_set(m_mosq, &MqttSession::onConnect);
    mosquitto_disconnect_callback_set(m_mosq, &MqttSession::onDisconnect);
    mosquitto_log_callback_set(m_mosq, &MqttSession::onLog);
    // A state message is small and should leave at once, not wait for the
    // acknowledgement of the one before.
    mosquitto_int_option(m_mosq, MOSQ_OPT_TCP_NODELAY, 1);
    const MqttConnection &c = m_connection;
    if (!c.caFile.isEmpty()
        && mosquitto_tls_set(m_mosq, c.caFile.toLocal8Bit().constData(), nullptr, nullptr, nullptr,
                             nullptr)
            != MOSQ_ERR_SUCCESS) {
        endSession({MqttFailure::Kind::Certificate,
                    QStringLiteral("the CA file %1 cannot be used").arg(c.caFile), 0});
        return;
    }
    if (!c.username.isEmpty())
        mosquitto_username_pw_set(m_mosq, c.username.toUtf8().constData(),
                                  c.password.isEmpty() ? nullptr : c.password.constData());
    if (!c.will.topic.isEmpty())
        mosquitto_will_set(m_mosq, c.will.topic.constData(), int(c.will.payload.size()),
                           c.will.payload.constData(), c.will.qos, c.will.retain);

    // Looks the name up (this thread waits for it, the caller's does not),
    // opens a non-blocking socket and queues CONNECT.
    errno = 0;
    const int rc
        = mosquitto_connect_async(m_mosq, c.host.toUtf8().constData(), c.port, c.keepAliveSeconds);
    const int savedErrno = errno;
    if (rc != MOSQ_ERR_SUCCESS) {
        endSessionAfterError(rc, savedErrno);
        return;
    }
    const int socket = mosquitto_socket(m_mosq);
    m_readNotifier = new QSocketNotifier(socket, QSocketNotifier::Read, this);
    m_writeNotifier = new QSocketNotifier(socket, QSocketNotifier::Write, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &MqttSession::serviceSocket);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &MqttSession::serviceSocket);
    m_connectTimer->start(MqttClient::ConnectTimeoutMs);
    m_housekeepingTimer->start();
    watchWrites();
}

// libmosquitto's own select over the one socket, with no waiting: it reads,
// writes or carries the TLS handshake on, whichever the socket allows.
void MqttSession::serviceSocket()
{
    if (m_mosq)
        afterLibraryCall(mosquitto_loop(m_mosq, 0, 1));
}

void MqttSession::afterLibraryCall(int rc)
{
    const int savedErrno = errno;
    if (!m_mosq)
        return;
    if (m_connackCode) {
        const int code = *m_connackCode;
        m_connackCode.reset();
        if (code != 0) {
            // 4 and 5: MQTT 3.1.1's "bad user name or password" and "not
            // authorised", which brokers send for a wrong password.
            const bool credentials = code == 4 || code == 5;
            endSession(
                {credentials ? MqttFailure::Kind::Credentials : MqttFailure::Kind::Refused,
                 QStringLiteral("the broker refused the connection: %1").arg(connackReason(code)),
                 0});
            return;
        }
        becomeConnected();
        if (!m_mosq)
            return;
    }
    if (m_state == State::Closing && (m_disconnected || mosquitto_socket(m_mosq) < 0)) {
        finish();
        return;
    }
    if (rc != MOSQ_ERR_SUCCESS || m_disconnected || mosquitto_socket(m_mosq) < 0) {
        int cause = rc;
        if (cause == MOSQ_ERR_SUCCESS)
            cause = m_disconnectCode != MOSQ_ERR_SUCCESS ? m_disconnectCode : MOSQ_ERR_CONN_LOST;
        endSessionAfterError(cause, savedErrno);
        return;
    }
    if (m_state == State::Connected)
        drain();
    watchWrites();
}

void MqttSession::becomeConnected()
{
    m_state = State::Connected;
    m_failuresInARow = 0;
    m_connectTimer->stop();
    for (const MqttMessage &message : std::as_const(m_connection.onConnect))
        publish(message);
    m_outbox->connected = true;
    emit connected();
    drain();
}

int MqttSession::publish(const MqttMessage &message)
{
    return mosquitto_publish(m_mosq, nullptr, message.topic.constData(),
                             int(message.payload.size()), message.payload.constData(), message.qos,
                             message.retain);
}

void MqttSession::drain()
{
    if (m_state != State::Connected || !m_mosq)
        return;
    // One message at a time into libmosquitto, and only while its own queue
    // is empty: a slow broker then holds back the bounded outbox, not an
    // unbounded packet list.
    while (!mosquitto_want_write(m_mosq)) {
        MqttMessage message;
        {
            QMutexLocker lock(&m_outbox->mutex);
            if (m_outbox->messages.empty())
                break;
            message = std::move(m_outbox->messages.front());
            m_outbox->messages.pop_front();
        }
        const int rc = publish(message);
        if (rc != MOSQ_ERR_SUCCESS) {
            endSessionAfterError(rc, errno);
            return;
        }
    }
    watchWrites();
}

void MqttSession::closeCleanly()
{
    if (m_state == State::Closed)
        return;
    m_retryTimer->stop();
    if (m_state != State::Connected) {
        finish();
        return;
    }
    m_state = State::Closing;
    m_outbox->connected = false;
    const MqttMessage &will = m_connection.will;
    if (!will.topic.isEmpty())
        publish(will);
    // Written at once when the socket takes it; libmosquitto closes the
    // socket once DISCONNECT is out.
    mosquitto_disconnect(m_mosq);
    m_closeTimer->start(1000);
    afterLibraryCall(MOSQ_ERR_SUCCESS);
}

void MqttSession::endSessionAfterError(int rc, int savedErrno)
{
    MqttFailure failure;
    if (rc == MOSQ_ERR_TLS || (rc == MOSQ_ERR_ERRNO && savedErrno == EPROTO)) {
        failure.kind = MqttFailure::Kind::Certificate;
        failure.reason = QStringLiteral("the TLS handshake failed")
            + (m_lastError.isEmpty() ? QString() : QStringLiteral(": ") + m_lastError);
    } else if (rc == MOSQ_ERR_EAI) {
        failure.reason
            = QStringLiteral("the name %1 cannot be looked up: %2")
                  .arg(m_connection.host, QString::fromLocal8Bit(gai_strerror(savedErrno)));
    } else if (rc == MOSQ_ERR_ERRNO && savedErrno != 0) {
        failure.reason = QString::fromLocal8Bit(std::strerror(savedErrno)).toLower();
    } else if (rc == MOSQ_ERR_CONN_LOST || rc == MOSQ_ERR_NO_CONN) {
        failure.reason = QStringLiteral("the broker closed the connection");
    } else if (rc == MOSQ_ERR_KEEPALIVE) {
        failure.reason = QStringLiteral("the broker stopped answering");
    } else {
        failure.reason = QString::fromUtf8(mosquitto_strerror(rc));
    }
    endSession(failure);
}

void MqttSession::endSession(const MqttFailure &failure)
{
    const bool closing = m_state == State::Closing;
    destroySession();
    if (closing) {
        finish();
        return;
    }
    m_state = State::Waiting;
    MqttFailure told = failure;
    told.retryInSeconds = nextRetrySeconds(failure.kind);
    m_retryTimer->start(told.retryInSeconds * 1000);
    emit failed(told);
}

int MqttSession::nextRetrySeconds(MqttFailure::Kind kind)
{
    ++m_failuresInARow;
    // A refused password or certificate will not mend itself in a second.
    if (kind == MqttFailure::Kind::Credentials || kind == MqttFailure::Kind::Certificate)
        return MqttClient::LongestRetrySeconds;
    const int doublings = std::min(m_failuresInARow - 1, 5);
    return std::min(MqttClient::FirstRetrySeconds << doublings, MqttClient::LongestRetrySeconds);
}

void MqttSession::destroySession()
{
    m_outbox->connected = false;
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    if (m_connectTimer)
        m_connectTimer->stop();
    if (m_housekeepingTimer)
        m_housekeepingTimer->stop();
    if (m_mosq) {
        mosquitto_destroy(m_mosq);
        m_mosq = nullptr;
    }
}

void MqttSession::finish()
{
    destroySession();
    m_state = State::Closed;
    // Timers and notifiers belong to this thread: they go before it ends.
    qDeleteAll(findChildren<QObject *>(QString(), Qt::FindDirectChildrenOnly));
    m_retryTimer = m_connectTimer = m_closeTimer = m_housekeepingTimer = nullptr;
    QThread *thread = QThread::currentThread();
    moveToThread(m_home);
    thread->quit();
}

void MqttSession::watchWrites()
{
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(m_mosq && mosquitto_want_write(m_mosq));
}

void MqttSession::onConnect(mosquitto *, void *self, int code)
{
    static_cast<MqttSession *>(self)->m_connackCode = code;
}

void MqttSession::onDisconnect(mosquitto *, void *self, int rc)
{
    auto *session = static_cast<MqttSession *>(self);
    session->m_disconnected = true;
    session->m_disconnectCode = rc;
}

void MqttSession::onLog(mosquitto *, void *self, int level, const char *text)
{
    if (level & (MOSQ_LOG_ERR | MOSQ_LOG_WARNING)) {
        QString message = QString::fromUtf8(text);
        // "OpenSSL Error[0]: error:0A000086:SSL routines::certificate verify
        // failed": the words after the last colon say it.
        if (message.startsWith(QLatin1String("OpenSSL Error")))
            message = message.section(u':', -1).trimmed();
        static_cast<MqttSession *>(self)->m_lastError = message;
        qCDebug(windMqtt) << "libmosquitto:" << text;
    }
}

MqttClient::MqttClient(MqttConnection connection, QObject *parent)
    : QObject(parent)
    , m_outbox(std::make_shared<MqttOutbox>())
{
    initialiseLibrary();
    m_thread = new QThread(this);
    m_thread->setObjectName(QStringLiteral("MQTT"));
    m_session = new MqttSession(std::move(connection), m_outbox);
    m_session->moveToThread(m_thread);
    connect(m_session, &MqttSession::connected, this, &MqttClient::connected);
    connect(m_session, &MqttSession::failed, this, &MqttClient::connectionFailed);
}

MqttClient::~MqttClient()
{
    close();
}

void MqttClient::start()
{
    if (m_started)
        return;
    m_started = true;
    m_thread->start();
    QMetaObject::invokeMethod(m_session, &MqttSession::begin, Qt::QueuedConnection);
}

void MqttClient::publish(const QByteArray &topic, const QByteArray &payload)
{
    bool wasEmpty = false;
    {
        QMutexLocker lock(&m_outbox->mutex);
        wasEmpty = m_outbox->messages.empty();
        m_outbox->messages.push_back({topic, payload, 0, false});
        if (m_outbox->messages.size() > size_t(MaxQueued)) {
            m_outbox->messages.pop_front();
            ++m_outbox->dropped;
        }
    }
    // The session takes everything queued once woken, so a queue that was
    // not empty has a wake-up on its way already.
    if (wasEmpty && m_started && m_session)
        QMetaObject::invokeMethod(m_session, &MqttSession::drain, Qt::QueuedConnection);
}

void MqttClient::close(int timeoutMs)
{
    if (!m_session)
        return;
    if (m_thread->isRunning()) {
        QMetaObject::invokeMethod(m_session, &MqttSession::closeCleanly, Qt::QueuedConnection);
        if (!m_thread->wait(QDeadlineTimer(timeoutMs))) {
            // Only a name lookup that hangs keeps the thread this long; it
            // holds nothing that must be written, so it is cut short.
            qCWarning(windMqtt) << "The MQTT connection did not close within" << timeoutMs
                                << "ms; it is cut.";
            m_thread->terminate();
            m_thread->wait();
            // Whatever the thread held is left as it is: the process ends.
            m_session = nullptr;
            return;
        }
    }
    delete m_session;
    m_session = nullptr;
}

bool MqttClient::isConnected() const
{
    return m_outbox->connected;
}

qint64 MqttClient::droppedCount() const
{
    QMutexLocker lock(&m_outbox->mutex);
    return m_outbox->dropped;
}

#include "mqttclient.moc"
