// SPDX-License-Identifier: MIT
#pragma once

#include "platform/linetransport.h"

class QUdpSocket;

// Sentences in UDP datagrams to one port, on every address of this machine
// (IPv4 and, where the system has it, IPv6). A datagram may carry several
// sentences; it is delivered whole and always ends a line, so nothing is
// ever joined across datagrams and restarted() is never emitted.
//
// The port is bound with address sharing, so that several programs on one
// machine can take the same broadcast; a datagram sent to one address
// reaches only one of them.
class UdpLineTransport final : public LineTransport
{
    Q_OBJECT

public:
    // Port 0 lets the system choose one, which only tests do.
    explicit UdpLineTransport(quint16 port, QObject *parent = nullptr);
    ~UdpLineTransport() override;

    // Throws AppError (NetworkError) when the port cannot be bound: another
    // program holds it, or it needs rights the user lacks. That does not
    // mend itself, so there is no retry: the user reads the cause at once
    // instead of a stale display.
    void open() override;
    void close() override;
    bool isOpen() const override { return m_socket != nullptr; }
    // "udp :10110"
    QString description() const override;

    // The port bound; 0 while closed.
    quint16 boundPort() const;

private:
    void readDatagrams();
    void socketError();

    quint16 m_port = 0;
    QUdpSocket *m_socket = nullptr;
};
