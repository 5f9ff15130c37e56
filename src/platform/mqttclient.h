// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class QThread;
class MqttSession;
struct MqttOutbox;

struct MqttMessage
{
    QByteArray topic;
    QByteArray payload;
    int qos = 0;
    bool retain = false;
};

// Where to connect and what to say on every connection.
struct MqttConnection
{
    QString host; // a name (looked up off the caller's thread) or an IP address
    quint16 port = 1883;
    QString caFile; // set: TLS, the broker's certificate checked against it and host
    QString username;
    QByteArray password;
    int keepAliveSeconds = 20;
    // The broker publishes it when the link breaks without a clean close;
    // close() publishes it itself before disconnecting.
    MqttMessage will;
    // Published after every connection, before anything queued.
    QList<MqttMessage> onConnect;
};

// Why a connection failed or ended, and when the next attempt starts.
struct MqttFailure
{
    enum class Kind {
        Unreachable, // no name, no route, refused, lost, no answer
        Credentials, // the broker refused the user name or password
        Certificate, // the TLS handshake failed: certificate, host name or protocol
        Refused, // the broker refused for another reason
    };
    Kind kind = Kind::Unreachable;
    QString reason;
    int retryInSeconds = 0;
};
Q_DECLARE_METATYPE(MqttFailure)

// An MQTT 3.1.1 client on libmosquitto that publishes and never waits. The
// network runs on a thread of its own, where the name lookup, the TCP and
// TLS handshakes and every write happen; publish() only queues, so a broker
// that is down, slow or unreachable costs the caller's thread nothing.
// Attempts follow each other 1 s after the first failure, doubling to 30 s;
// a refused password or certificate is retried every 30 s. Messages published
// without a connection wait, at most MaxQueued of them, the oldest dropped.
class MqttClient : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxQueued = 100;
    static constexpr int FirstRetrySeconds = 1;
    static constexpr int LongestRetrySeconds = 30;
    // A connection that has not been accepted by then is given up.
    static constexpr int ConnectTimeoutMs = 10000;

    explicit MqttClient(MqttConnection connection, QObject *parent = nullptr);
    // Closes as close() does.
    ~MqttClient() override;

    // Starts connecting; call once.
    void start();
    // QoS 0, not retained. Thread-safe.
    void publish(const QByteArray &topic, const QByteArray &payload);
    // Publishes the will's message, disconnects and ends the network thread,
    // waiting at most timeoutMs. Without a connection it only ends the
    // thread. Nothing is sent afterwards.
    void close(int timeoutMs = 2000);

    bool isConnected() const;
    // Messages dropped from a full queue since the start.
    qint64 droppedCount() const;

signals:
    void connected();
    void connectionFailed(const MqttFailure &failure);

private:
    std::shared_ptr<MqttOutbox> m_outbox;
    QThread *m_thread = nullptr;
    MqttSession *m_session = nullptr; // lives on m_thread
    bool m_started = false;
};
