// SPDX-License-Identifier: MIT
#include "serialtransport.h"

#include "core/logcategories.h"

#include <QFileInfo>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

namespace {
// A terminal whose far end has gone (a USB adapter pulled, a pseudo-terminal
// closed) reads as end of file, which Qt reports as a read error carrying
// whatever errno held last ("Inappropriate ioctl for device").
bool lineHungUp(QSerialPort &port)
{
#ifdef Q_OS_UNIX
    pollfd line{int(port.handle()), POLLIN, 0};
    return ::poll(&line, 1, 0) > 0 && (line.revents & POLLHUP);
#else
    Q_UNUSED(port);
    return false;
#endif
}

bool isLineBroken(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ResourceError || error == QSerialPort::ReadError
        || error == QSerialPort::PermissionError || error == QSerialPort::DeviceNotFoundError;
}
} // namespace

SerialTransport::SerialTransport(int portNumber, DeviceResolver resolver,
                                 OpenFailureAdvisor advisor, QObject *parent)
    : LineTransport(parent)
    , m_portNumber(portNumber)
    , m_resolver(std::move(resolver))
    , m_advisor(std::move(advisor))
    , m_retryTimer(new QTimer(this))
{
    m_port.setReadBufferSize(ReadBufferSize);
    connect(&m_port, &QSerialPort::readyRead, this, &SerialTransport::readAvailable);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialTransport::onError);
    m_retryTimer->setInterval(ReconnectIntervalMs);
    connect(m_retryTimer, &QTimer::timeout, this, &SerialTransport::retryOpening);
}

SerialTransport::~SerialTransport() = default;

QString SerialTransport::defaultDeviceForPort(int port)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port);
#else
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
}

QString SerialTransport::deviceName() const
{
    return m_port.isOpen() ? m_openDevice : m_resolver(m_portNumber);
}

QString SerialTransport::description() const
{
    const QString port = QStringLiteral("COM%1").arg(m_portNumber);
    if (m_protocolName.isEmpty())
        return port;
    return QStringLiteral("%1 %2 %3").arg(port, m_protocolName).arg(m_baud);
}

void SerialTransport::fail(const QString &what, const QString &reason) const
{
    throw AppError(AppError::Kind::SerialError,
                   QStringLiteral("Serial port %1 (%2): %3: %4")
                       .arg(m_portNumber)
                       .arg(deviceName(), what, reason));
}

void SerialTransport::open()
{
    if (m_port.isOpen())
        fail(QStringLiteral("cannot open"), QStringLiteral("the port is already open"));
    openPort();
    m_wanted = true;
}

void SerialTransport::openPort()
{
    m_openDevice = m_resolver(m_portNumber);
    m_port.setPortName(m_openDevice);
    m_port.setBaudRate(m_baud);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadOnly)) {
        QString reason = m_port.errorString();
        const QString advice
            = m_advisor ? m_advisor(m_portNumber, m_openDevice, m_port.error()) : QString();
        if (!advice.isEmpty())
            reason += u'\n' + advice;
        m_port.clearError();
        fail(QStringLiteral("cannot open"), reason);
    }
    qCDebug(windSerial) << "opened" << m_openDevice << "at" << m_baud << "baud";
}

void SerialTransport::close()
{
    m_wanted = false;
    m_retryTimer->stop();
    m_port.close();
}

void SerialTransport::readAvailable()
{
    const QByteArray bytes = m_port.readAll();
    if (!bytes.isEmpty())
        emit received(bytes);
}

void SerialTransport::onError(QSerialPort::SerialPortError error)
{
    if (!isLineBroken(error) || !m_port.isOpen())
        return;
    const QString reason = lineHungUp(m_port)
        ? QStringLiteral("the device hung up (cable pulled or device removed)")
        : m_port.errorString();
    const QString device = m_openDevice;
    m_port.clearError();
    m_port.close();
    qCInfo(windSerial) << "lost" << device << reason;
    if (m_reconnect) {
        m_retryTimer->start();
        emit lost(QStringLiteral("device missing: %1; trying again every second").arg(reason));
        return;
    }
    m_wanted = false;
    emit failed(AppError(AppError::Kind::SerialError,
                         QStringLiteral("Serial port %1 (%2): reading failed: %3")
                             .arg(m_portNumber)
                             .arg(device, reason)));
}

// Opening a device that is not there costs a failed system call and, on a
// USB adapter that is coming back, may catch it half-registered; waiting
// until its path exists avoids both.
void SerialTransport::retryOpening()
{
    if (!m_wanted || m_port.isOpen()) {
        m_retryTimer->stop();
        return;
    }
    if (!QFileInfo::exists(m_resolver(m_portNumber)))
        return;
    try {
        openPort();
    } catch (const AppError &error) {
        qCDebug(windSerial) << "not yet:" << error.description();
        return;
    }
    m_retryTimer->stop();
    emit restarted();
}
