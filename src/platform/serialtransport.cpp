// SPDX-License-Identifier: MIT
#include "serialtransport.h"

#include "core/logcategories.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <optional>
#include <utility>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/stat.h>
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

// The device number of what the path leads to, or of the open port; nothing
// where that cannot be told.
std::optional<quint64> deviceNumberAt(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) == 0)
        return quint64(status.st_rdev);
#else
    Q_UNUSED(path);
#endif
    return std::nullopt;
}

std::optional<quint64> deviceNumberOf(QSerialPort &port)
{
#ifdef Q_OS_UNIX
    struct stat status = {};
    if (port.isOpen() && ::fstat(int(port.handle()), &status) == 0)
        return quint64(status.st_rdev);
#else
    Q_UNUSED(port);
#endif
    return std::nullopt;
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
    connect(m_retryTimer, &QTimer::timeout, this, [this] {
        if (m_port.isOpen())
            checkReopenedDevice();
        else
            retryOpening();
    });
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

void SerialTransport::setReconnectInterval(int ms)
{
    m_retryTimer->setInterval(ms);
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
    m_awaitingFirstBytes = false;
    m_retryTimer->stop();
    m_port.close();
}

void SerialTransport::readAvailable()
{
    const QByteArray bytes = m_port.readAll();
    if (bytes.isEmpty())
        return;
    if (std::exchange(m_awaitingFirstBytes, false))
        m_retryTimer->stop();
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
    m_awaitingFirstBytes = false;
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
    // The timer goes on until the first bytes come: see checkReopenedDevice.
    m_awaitingFirstBytes = true;
    emit restarted();
}

// A pseudo-terminal's number is free again once it closes, and the next
// terminal opened on this computer (a shell, a build tool) takes it: a link
// left pointing at the lost one then leads to a stranger's terminal, which
// opens and sends nothing. Until the reopened device has sent something,
// every tick checks that the port's name still leads to it, and follows the
// name when it has been turned to another device.
void SerialTransport::checkReopenedDevice()
{
    const std::optional<quint64> named = deviceNumberAt(m_resolver(m_portNumber));
    const std::optional<quint64> open = deviceNumberOf(m_port);
    if (!named || !open || *named == *open)
        return;
    qCInfo(windSerial) << m_openDevice << "now leads to another device; opening that one";
    m_awaitingFirstBytes = false;
    m_port.close();
    retryOpening();
    if (!m_port.isOpen())
        emit lost(QStringLiteral("device missing: the port now leads to another device that "
                                 "does not open yet; trying again every second"));
}
