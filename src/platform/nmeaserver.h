// SPDX-License-Identifier: MIT
#pragma once

#include <QHostAddress>
#include <QObject>

#include <memory>
#include <vector>

class QTcpServer;
class QUdpSocket;
struct NmeaConfig;
struct NmeaEndpoint;

// Delivers sentences to the programs that share the wind: every client of a
// TCP server and one UDP target (a host, or a broadcast address). It works in
// the event loop of the thread that owns it and never waits for a client:
// a client that stops reading is dropped once its queue is full, a client
// that sends is read and ignored, clients beyond the limit are turned away.
// A client that ends its input (shuts down its sending side) may still
// read, so it keeps receiving; a client that has gone is dropped when a
// write to it fails. With output off nothing is opened at all.
class NmeaServer : public QObject
{
    Q_OBJECT

public:
    // More clients are accepted and closed at once, so that they learn of
    // the refusal instead of waiting in the system's backlog.
    static constexpr int MaxClients = 32;
    // What may wait for one client beyond what the system buffers for it.
    static constexpr qint64 MaxQueuedBytes = 64 * 1024;
    // What is read of a client's input at a time; it is thrown away.
    static constexpr qint64 MaxInputBytes = 4 * 1024;

    explicit NmeaServer(QObject *parent = nullptr);
    ~NmeaServer() override;

    // Opens what the configuration asks for, after closing what was open:
    // the TCP server, the UDP socket, both or (output off) nothing. Throws
    // AppError (InvalidArgument) with a description meant for the user when
    // an address or port cannot be used; nothing is left open then.
    void open(const NmeaConfig &config);
    // Disconnects every client and closes both sockets.
    void close();

    // Sends one sentence: one write to each client, one datagram to the
    // UDP target. Clients whose queue would overflow, or whose write fails,
    // are dropped.
    void send(const QByteArray &sentence);

    bool isOpen() const { return m_tcpServer || m_udpSocket; }
    // The port the TCP server listens on (useful when it was opened on 0),
    // or 0 without a server.
    quint16 tcpPort() const;
    int clientCount() const { return int(m_clients.size()); }

private:
    struct Client;

    void openTcp(const QString &bindAddress, quint16 port);
    void openUdp(const NmeaEndpoint &target);
    void addClient(qintptr descriptor);
    bool deliver(Client &client, const QByteArray &bytes);
    void readInput(Client &client);
    void writeQueue(Client &client);
    void dropClient(Client &client);

    QTcpServer *m_tcpServer = nullptr;
    std::vector<std::unique_ptr<Client>> m_clients;
    QUdpSocket *m_udpSocket = nullptr;
    QHostAddress m_udpAddress;
    quint16 m_udpPort = 0;
};
