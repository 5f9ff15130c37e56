#pragma once

#include "serialcontrol.h"

#include <QSerialPort>

#include <functional>

// The serial control over QSerialPort: 9600 baud, 8 data bits, no parity,
// 1 stop bit, no flow control. A port number becomes a device name through
// the resolver, asked each time the port opens. When the port cannot be
// opened, the advisor may add a sentence that names the fix, on a line of
// its own after the error.
class QtSerialControl : public SerialControl
{
public:
    using DeviceResolver = std::function<QString(int port)>;
    using OpenFailureAdvisor = std::function<QString(int port, const QString &device,
                                                     QSerialPort::SerialPortError error)>;

    explicit QtSerialControl(DeviceResolver resolver = defaultDeviceForPort,
                             OpenFailureAdvisor advisor = {});

    qint16 portNumber() const override { return m_commPort; }
    void setPortNumber(qint16 port) override;
    void setInputLength(qint16 length) override;
    bool isOpen() const override { return m_port.isOpen() || !m_lineFailure.isEmpty(); }
    void setOpen(bool open) override;
    int waitingCount() override;
    QString takeInput() override;

    // The device that the port is open on, or would open next.
    QString deviceName() const;
    QSerialPort &port() { return m_port; }

    // "COMn" on Windows; elsewhere the n-th serial device, /dev/ttyS(n-1).
    static QString defaultDeviceForPort(int port);

private:
    [[noreturn]] void fail(const QString &what, const QString &reason) const;
    void throwIfBroken();
    void onLineError(QSerialPort::SerialPortError error);

    static constexpr qint64 ReadBufferSize = 64 * 1024;

    DeviceResolver m_resolver;
    OpenFailureAdvisor m_advisor;
    QSerialPort m_port;
    QString m_openDevice;
    QString m_lineFailure;
    qint16 m_commPort = 1;
    qint16 m_inputLen = 0;
};
