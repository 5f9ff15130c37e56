#pragma once

#include <QString>

// What the application asks of the serial port: a port number, an open state
// and a polled receive buffer. Every failing access throws AppError of kind
// SerialError whose description names the port, its device and the cause.
class SerialControl
{
public:
    virtual ~SerialControl() = default;

    virtual qint16 portNumber() const = 0;
    virtual void setPortNumber(qint16 port) = 0;

    // 0 makes every read of takeInput() return all waiting characters.
    virtual void setInputLength(qint16 length) = 0;

    virtual bool isOpen() const = 0;
    virtual void setOpen(bool open) = 0;

    // Received characters waiting to be read.
    virtual int waitingCount() = 0;
    // The waiting characters, one per received byte, in arrival order; they
    // leave the control's buffer.
    virtual QString takeInput() = 0;
};
