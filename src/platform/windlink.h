// SPDX-License-Identifier: MIT
#pragma once

#include "core/apperror.h"
#include "core/windreading.h"

#include <QObject>

#include <memory>

class LineTransport;
class QTimer;

// A live wind input: the bytes a transport delivers (a serial port, a TCP
// connection, UDP datagrams), read as they arrive by a protocol's reader
// (the sensor's frames, NMEA 0183 sentences). It owns both and the receive
// buffer the reader keeps, and says what happened on signals; it never
// touches a window and never waits.
class WindLink : public QObject
{
    Q_OBJECT

public:
    WindLink(std::unique_ptr<LineTransport> transport, std::unique_ptr<WindLineReader> reader,
             QObject *parent = nullptr);
    ~WindLink() override;

    // Starts reading with an empty buffer. Throws AppError when the input
    // cannot be opened.
    void open();
    void close();
    bool isOpen() const;

    // What the input is: "COM3", "COM3 NMEA 0183 4800", "tcp 10.0.0.5:10110".
    QString description() const;
    LineTransport &transport() const { return *m_transport; }
    // The most characters the reader has buffered since the link opened,
    // for measurements.
    qsizetype largestBuffer() const { return m_largestBuffer; }

signals:
    // A frame or sentence that passed its check, in the order they came.
    void readingReceived(const WindReading &reading);
    // A frame or sentence that failed its check, or could not be read.
    void frameRejected();
    // The boat's motion, from the sentences that come with apparent wind.
    void motionReceived(const BoatMotion &motion);
    // The input failed and reading has stopped.
    void failed(const AppError &error);
    // The input went away; the transport is trying to get it back.
    void lineLost(const QString &reason);
    void lineBack();

private:
    void take(const QByteArray &bytes);
    void deliver(const std::vector<WindLineEvent> &events);
    void watchForQuietLine();

    std::unique_ptr<LineTransport> m_transport;
    std::unique_ptr<WindLineReader> m_reader;
    // Runs from the last byte while the reader waits for a quiet line.
    QTimer *m_quietTimer = nullptr;
    qsizetype m_largestBuffer = 0;
};
