#pragma once

#include <QString>

// What the application asks of the serial port: a port number, an open state
// and a polled receive buffer. Every failing access throws AppError of kind
// SerialError whose description names the port, its device and the cause.
class SerialControl
{
public:
    virtual ~SerialControl() = default;

    virtual qint16 CommPort() const = 0;
    virtual void setCommPort(qint16 port) = 0;

    // 0 makes every read of Input() return all waiting characters.
    virtual void setInputLen(qint16 length) = 0;

    virtual bool PortOpen() const = 0;
    virtual void setPortOpen(bool open) = 0;

    // Received characters waiting to be read.
    virtual int InBufferCount() = 0;
    // The waiting characters, one per received byte, in arrival order; they
    // leave the control's buffer.
    virtual QString Input() = 0;
};
