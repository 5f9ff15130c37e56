#include "qtserialcontrol.h"

#include "core/apperror.h"

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
} // namespace

QtSerialControl::QtSerialControl(DeviceResolver resolver, OpenFailureAdvisor advisor)
    : m_resolver(std::move(resolver))
    , m_advisor(std::move(advisor))
{
    // Bounded, so that a line nobody reads (listening halted on an error
    // message) cannot grow memory; the loop empties it every pass.
    m_port.setReadBufferSize(ReadBufferSize);
    QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port,
                     [this](QSerialPort::SerialPortError error) { onLineError(error); });
}

// A line that broke (a cable pulled, a device gone) is closed at once, even
// when nobody polls it: left open, it would keep reporting itself readable
// and spin the event loop. The failure is kept and reported at the next
// access, and the port counts as open until then, so the listening loop
// reports it rather than quietly opening the port again.
void QtSerialControl::onLineError(QSerialPort::SerialPortError error)
{
    const bool lineBroken = error == QSerialPort::ResourceError || error == QSerialPort::ReadError
        || error == QSerialPort::PermissionError || error == QSerialPort::DeviceNotFoundError;
    if (!lineBroken || !m_port.isOpen())
        return;
    m_lineFailure = lineHungUp(m_port)
        ? QStringLiteral("the device hung up (cable pulled or device removed)")
        : m_port.errorString();
    m_port.clearError();
    m_port.close();
}

QString QtSerialControl::defaultDeviceForPort(int port)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port);
#else
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
}

QString QtSerialControl::deviceName() const
{
    return isOpen() ? m_openDevice : m_resolver(m_commPort);
}

void QtSerialControl::fail(const QString &what, const QString &reason) const
{
    throw AppError(AppError::Kind::SerialError,
                   QStringLiteral("Serial port %1 (%2): %3: %4")
                       .arg(m_commPort)
                       .arg(deviceName(), what, reason));
}

void QtSerialControl::setPortNumber(qint16 port)
{
    if (m_port.isOpen())
        fail(QStringLiteral("cannot change the port number"), QStringLiteral("the port is open"));
    if (port < 1)
        throw AppError(AppError::Kind::SerialError,
                       QStringLiteral("Serial port %1: invalid port number").arg(port));
    m_commPort = port;
}

void QtSerialControl::setInputLength(qint16 length)
{
    m_inputLen = length;
}

void QtSerialControl::setOpen(bool open)
{
    if (!open) {
        m_lineFailure.clear();
        m_port.close();
        return;
    }
    if (m_port.isOpen())
        fail(QStringLiteral("cannot open"), QStringLiteral("the port is already open"));
    m_openDevice = m_resolver(m_commPort);
    m_port.setPortName(m_openDevice);
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadOnly)) {
        QString reason = m_port.errorString();
        const QString advice
            = m_advisor ? m_advisor(m_commPort, m_openDevice, m_port.error()) : QString();
        if (!advice.isEmpty())
            reason += u'\n' + advice;
        fail(QStringLiteral("cannot open"), reason);
    }
}

void QtSerialControl::throwIfBroken()
{
    if (!m_lineFailure.isEmpty()) {
        const QString reason = std::exchange(m_lineFailure, QString());
        fail(QStringLiteral("reading failed"), reason);
    }
    if (!m_port.isOpen())
        fail(QStringLiteral("cannot read"), QStringLiteral("the port is not open"));
    if (m_port.error() != QSerialPort::NoError && m_port.error() != QSerialPort::TimeoutError) {
        const QString reason = m_port.errorString();
        m_port.clearError();
        fail(QStringLiteral("reading failed"), reason);
    }
}

int QtSerialControl::waitingCount()
{
    throwIfBroken();
    return static_cast<int>(qMin<qint64>(m_port.bytesAvailable(), 32767));
}

QString QtSerialControl::takeInput()
{
    throwIfBroken();
    const QByteArray bytes = m_inputLen > 0 ? m_port.read(m_inputLen) : m_port.readAll();
    return QString::fromLatin1(bytes);
}
