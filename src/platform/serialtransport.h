// SPDX-License-Identifier: MIT
#pragma once

#include "platform/linetransport.h"

#include <QSerialPort>

#include <functional>

class QTimer;

// A serial port as a wind input: 8 data bits, no parity, 1 stop bit, no
// flow control, at the baud rate given (9600 unless told otherwise). The
// port number becomes a device through the resolver, asked at every opening.
// When the port cannot be opened, the advisor may add a sentence that names
// the fix, on a line of its own after the error.
//
// A line that breaks (a cable pulled, a USB adapter gone) is closed at once:
// left open it would keep reporting itself readable and spin the event loop.
// Without reconnecting that is a failure; with it, the transport reports the
// loss and looks once a second for the device, opening it again as soon as
// its path exists. Until the device opened again has sent something, the
// transport goes on looking once a second whether the port's name still
// leads to it, and follows the name to another device: a symbolic link left
// pointing at a closed pseudo-terminal may meanwhile lead to a stranger's.
class SerialTransport : public LineTransport
{
    Q_OBJECT

public:
    using DeviceResolver = std::function<QString(int port)>;
    using OpenFailureAdvisor = std::function<QString(int port, const QString &device,
                                                     QSerialPort::SerialPortError error)>;

    static constexpr qint32 DefaultBaudRate = 9600;
    static constexpr int ReconnectIntervalMs = 1000;

    SerialTransport(int portNumber, DeviceResolver resolver, OpenFailureAdvisor advisor = {},
                    QObject *parent = nullptr);
    ~SerialTransport() override;

    void setBaudRate(qint32 baud) { m_baud = baud; }
    void setReconnect(bool reconnect) { m_reconnect = reconnect; }
    // Tests shorten the wait between looks.
    void setReconnectInterval(int ms);
    // Named in the description after the port: "NMEA 0183" gives
    // "COM3 NMEA 0183 4800". Without one it reads "COM3".
    void setProtocolName(const QString &name) { m_protocolName = name; }

    // Throws AppError (SerialError) naming the port, its device and the
    // cause when the port does not open.
    void open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    QString description() const override;

    int portNumber() const { return m_portNumber; }
    // The device the port is open on, or would open next.
    QString deviceName() const;
    QSerialPort &port() { return m_port; }

    // "COMn" on Windows; elsewhere the n-th serial device, /dev/ttyS(n-1).
    static QString defaultDeviceForPort(int port);

private:
    [[noreturn]] void fail(const QString &what, const QString &reason) const;
    void openPort();
    void readAvailable();
    void onError(QSerialPort::SerialPortError error);
    void retryOpening();
    void checkReopenedDevice();

    // Bounded, so that a burst the event loop has not yet handed on cannot
    // grow memory without limit.
    static constexpr qint64 ReadBufferSize = 64 * 1024;

    int m_portNumber;
    DeviceResolver m_resolver;
    OpenFailureAdvisor m_advisor;
    QSerialPort m_port;
    QString m_openDevice;
    qint32 m_baud = DefaultBaudRate;
    bool m_reconnect = false;
    QString m_protocolName;
    bool m_wanted = false; // opened and not closed since: retrying is allowed
    bool m_awaitingFirstBytes = false; // reopened, and nothing read since
    QTimer *m_retryTimer = nullptr;
};
