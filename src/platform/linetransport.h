// SPDX-License-Identifier: MIT
#pragma once

#include "core/apperror.h"

#include <QByteArray>
#include <QObject>
#include <QString>

// Where the bytes of a wind input come from: a serial port, a TCP
// connection, UDP datagrams. A transport only delivers bytes and says how
// the input fares; what the bytes mean is the reader's business
// (core/windreading.h), and WindLink puts the two together.
//
// Everything is signalled from Qt's event loop; nothing here waits or polls.
class LineTransport : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Starts delivering. Throws AppError when the input cannot be used at
    // all and will not be retried (a serial port that does not open). An
    // input that retries by itself (a TCP server not there yet) does not
    // throw: it reports lost() and keeps trying.
    virtual void open() = 0;
    // Stops delivering and stops retrying. Safe to call when closed.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // What the input is, for the link health and the log:
    // "COM3 NMEA 0183 4800", "tcp 192.168.1.10:10110", "udp :10110".
    virtual QString description() const = 0;

signals:
    // Bytes as they arrived, in order. A datagram arrives whole, as one
    // piece that ends a line.
    void received(const QByteArray &bytes);
    // A new stream begins (a new connection, a port opened again): what
    // was buffered from the old one must not be joined to it.
    void restarted();
    // The input went away; the transport retries by itself. The reason is
    // for the link health ("retrying in 2 s: Connection refused").
    void lost(const QString &reason);
    // The input failed for good: delivery has stopped, and only a new
    // open() starts it again.
    void failed(const AppError &error);
};
