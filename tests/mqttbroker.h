// SPDX-License-Identifier: MIT
#pragma once

// A Mosquitto broker that a test starts on a free port of 127.0.0.1 with a
// configuration it writes into a temporary folder (TLS with a CA that openssl
// makes here, or a password file made with mosquitto_passwd), and
// mosquitto_sub as the independent reader of what reaches it.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

inline QString mqttProgram(const QString &name)
{
    // The broker lives in sbin, which a user's PATH may lack.
    QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(
            name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
    return path;
}

inline bool runTool(const QString &program, const QStringList &arguments,
                    const QString &folder = QString())
{
    QProcess tool;
    tool.setWorkingDirectory(folder);
    tool.start(program, arguments);
    return tool.waitForFinished(30000) && tool.exitStatus() == QProcess::NormalExit
        && tool.exitCode() == 0;
}

struct MqttBrokerOptions
{
    bool tls = false;
    QByteArray username; // with a password: anonymous clients are refused
    QByteArray password;
};

class MqttBroker
{
public:
    using Options = MqttBrokerOptions;

    explicit MqttBroker(Options options = {})
        : m_options(std::move(options))
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
    }
    ~MqttBroker() { stop(); }

    QString path(const char *name) const { return folder.filePath(QLatin1String(name)); }

    // Writes the configuration (and certificates) and starts the broker;
    // false when it does not listen within 5 s.
    bool start()
    {
        if (!m_configured && !configure())
            return false;
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(mqttProgram(QStringLiteral("mosquitto")), {"-c", path("broker.conf")});
        if (!m_process.waitForStarted())
            return false;
        for (int i = 0; i < 100; ++i) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port);
            if (socket.waitForConnected(50))
                return true;
            QTest::qWait(50);
        }
        return false;
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        signal(SIGCONT);
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }

    void signal(int number) const
    {
        if (m_process.state() != QProcess::NotRunning)
            ::kill(pid_t(m_process.processId()), number);
    }

    QByteArray log() { return m_process.readAll(); }

    QTemporaryDir folder;
    quint16 port = 0;

private:
    bool configure()
    {
        QByteArray config = "listener " + QByteArray::number(port)
            + " 127.0.0.1\n"
            // Run as root (as in CI), the broker would otherwise become the
            // user mosquitto and lose access to this folder.
            + "user root\n";
        if (m_options.tls) {
            if (!makeCertificates())
                return false;
            config += "cafile " + path("ca.pem").toUtf8() + "\ncertfile "
                + path("server.pem").toUtf8() + "\nkeyfile " + path("server.key").toUtf8() + "\n";
        }
        if (m_options.username.isEmpty()) {
            config += "allow_anonymous true\n";
        } else {
            if (!runTool(mqttProgram(QStringLiteral("mosquitto_passwd")),
                         {"-c", "-b", path("passwords"), QString::fromUtf8(m_options.username),
                          QString::fromUtf8(m_options.password)}))
                return false;
            config += "allow_anonymous false\npassword_file " + path("passwords").toUtf8() + "\n";
        }
        QFile file(path("broker.conf"));
        m_configured = file.open(QIODevice::WriteOnly) && file.write(config) == config.size();
        return m_configured;
    }

    // A CA, a server certificate it signs for the name localhost alone (so
    // that 127.0.0.1 fails the host name check), and another CA that signs
    // nothing here.
    bool makeCertificates() const
    {
        const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
        const QString dir = folder.path();
        const QStringList ec
            = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
        QFile extensions(path("server.ext"));
        return extensions.open(QIODevice::WriteOnly)
            && extensions.write("subjectAltName=DNS:localhost\n") > 0 && (extensions.close(), true)
            && runTool(openssl,
                       QStringList{"req", "-x509"} + ec
                           + QStringList{"-keyout", "ca.key", "-out", "ca.pem", "-days", "2",
                                         "-subj", "/CN=Test CA"},
                       dir)
            && runTool(openssl,
                       QStringList{"req", "-x509"} + ec
                           + QStringList{"-keyout", "other.key", "-out", "other-ca.pem", "-days",
                                         "2", "-subj", "/CN=Other CA"},
                       dir)
            && runTool(openssl,
                       QStringList{"req"} + ec
                           + QStringList{"-keyout", "server.key", "-out", "server.csr", "-subj",
                                         "/CN=localhost"},
                       dir)
            && runTool(openssl,
                       {"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                        "-CAcreateserial", "-out", "server.pem", "-days", "2", "-extfile",
                        "server.ext"},
                       dir);
    }

    Options m_options;
    QProcess m_process;
    bool m_configured = false;
};

// mosquitto_sub on the broker, every message as "topic payload" on a line.
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
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process,
                         [this] { readLines(); });
        // Line by line through the pipe, so that the debug line that confirms
        // the subscription arrives when it is written.
        m_process.start(QStringLiteral("stdbuf"),
                        QStringList{"-oL", mqttProgram(QStringLiteral("mosquitto_sub")), "-h",
                                    "127.0.0.1", "-p", QString::number(broker.port), "-d", "-v",
                                    "-t", filter}
                            + extra);
        return m_process.waitForStarted() && QTest::qWaitFor([this] { return m_subscribed; }, 5000);
    }
    ~MqttSubscriber()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

    QList<Message> messages;

    QList<QByteArray> payloadsOn(const QByteArray &topic) const
    {
        QList<QByteArray> payloads;
        for (const Message &message : messages) {
            if (message.topic == topic)
                payloads << message.payload;
        }
        return payloads;
    }

private:
    void readLines()
    {
        m_buffer += m_process.readAllStandardOutput();
        qsizetype end;
        while ((end = m_buffer.indexOf('\n')) >= 0) {
            const QByteArray line = m_buffer.left(end);
            m_buffer.remove(0, end + 1);
            // Debug lines of -d, which tell that the subscription stands.
            if (line.startsWith("Client ") || line.startsWith("Subscribed (")) {
                m_subscribed = m_subscribed || line.contains("received SUBACK");
                continue;
            }
            const qsizetype space = line.indexOf(' ');
            if (space > 0)
                messages.append({line.left(space), line.mid(space + 1)});
        }
    }

    QProcess m_process;
    QByteArray m_buffer;
    bool m_subscribed = false;
};
