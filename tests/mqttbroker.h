// SPDX-License-Identifier: MIT
#pragma once

// A Mosquitto broker that a test starts on a free port of 127.0.0.1 with a
// configuration it writes into a temporary folder (with TLS: a CA and a
// server certificate for the name localhost alone, made by openssl, and a
// second CA that signs nothing here; with a user: a password file made by
// mosquitto_passwd), and mosquitto_sub as the independent reader of what
// reaches it.

#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// The broker lives in sbin, which a user's PATH may lack.
inline QString mqttProgram(const QString &name)
{
    const QString path = QStandardPaths::findExecutable(name);
    return !path.isEmpty() ? path : QStandardPaths::findExecutable(name, {"/usr/sbin"});
}

class MqttBroker
{
public:
    // tls, or a user (then anonymous clients are refused), or neither.
    explicit MqttBroker(bool tls = false, const QString &user = {}, const QString &password = {})
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
        // As root (as in CI) the broker would become the user mosquitto and
        // lose this folder.
        QString config = QStringLiteral("listener %1 127.0.0.1\nuser root\n").arg(port);
        QString script = QStringLiteral("set -e\n");
        if (tls) {
            script += "ec='-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes'\n"
                      "openssl req -x509 $ec -days 2 -keyout ca.key -out ca.pem -subj /CN=CA\n"
                      "openssl req -x509 $ec -days 2 -keyout o.key -out other-ca.pem -subj /CN=O\n"
                      "openssl req $ec -keyout server.key -out server.csr -subj /CN=localhost\n"
                      "echo subjectAltName=DNS:localhost > ext\n"
                      "openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial "
                      "-days 2 -extfile ext -out server.pem\n";
            config += "cafile ca.pem\ncertfile server.pem\nkeyfile server.key\n";
        }
        if (user.isEmpty()) {
            config += "allow_anonymous true\n";
        } else {
            script += QStringLiteral("'%1' -c -b passwords '%2' '%3'\n")
                          .arg(mqttProgram("mosquitto_passwd"), user, password);
            config += "allow_anonymous false\npassword_file passwords\n";
        }
        script += "cat > broker.conf <<'END'\n" + config + "END\n";
        QProcess shell;
        shell.setWorkingDirectory(folder.path());
        shell.setStandardErrorFile(QProcess::nullDevice());
        shell.start("bash", {"-c", script});
        m_configured = shell.waitForFinished(30000) && shell.exitCode() == 0;
    }
    ~MqttBroker() { stop(); }

    // False when it does not listen within 5 s.
    bool start()
    {
        if (!m_configured)
            return false;
        m_process.setWorkingDirectory(folder.path());
        m_process.start(mqttProgram("mosquitto"), {"-c", "broker.conf"});
        return m_process.waitForStarted() && QTest::qWaitFor([this] {
                   QTcpSocket socket;
                   socket.connectToHost(QHostAddress::LocalHost, port);
                   return socket.waitForConnected(50);
               });
    }
    void stop()
    {
        signal(SIGCONT);
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    void signal(int number) const
    {
        if (m_process.processId() > 0)
            ::kill(pid_t(m_process.processId()), number);
    }

    QTemporaryDir folder;
    quint16 port = 0;

private:
    QProcess m_process;
    bool m_configured = false;
};

// mosquitto_sub on the broker: every message as "topic payload" on a line.
class MqttSubscriber
{
public:
    struct Message
    {
        QByteArray topic;
        QByteArray payload;
    };

    // Subscribes to filter and returns once the broker has confirmed it.
    bool start(const MqttBroker &broker, const QString &filter, const QStringList &extra = {})
    {
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process, [this] {
            while (m_process.canReadLine()) {
                const QByteArray line = m_process.readLine().chopped(1);
                // The debug lines of -d tell that the subscription stands.
                if (line.startsWith("Client ") || line.startsWith("Subscribed ("))
                    m_subscribed = m_subscribed || line.contains("SUBACK");
                else if (const qsizetype space = line.indexOf(' '); space > 0)
                    messages.append({line.left(space), line.mid(space + 1)});
            }
        });
        // Line by line through the pipe, so that the debug line that confirms
        // the subscription comes when it is written.
        m_process.start("stdbuf",
                        QStringList{"-oL", mqttProgram("mosquitto_sub"), "-d", "-v", "-h",
                                    "127.0.0.1", "-p", QString::number(broker.port), "-t", filter}
                            + extra);
        return QTest::qWaitFor([this] { return m_subscribed; }, 5000);
    }
    ~MqttSubscriber()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

    QList<QByteArray> payloadsOn(const QByteArray &topic) const
    {
        QList<QByteArray> payloads;
        for (const Message &message : messages) {
            if (message.topic == topic)
                payloads << message.payload;
        }
        return payloads;
    }

    QList<Message> messages;

private:
    QProcess m_process;
    bool m_subscribed = false;
};
