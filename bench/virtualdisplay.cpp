// SPDX-License-Identifier: MIT
#include "virtualdisplay.h"

namespace {
constexpr int StartTimeoutMs = 10000;
} // namespace

VirtualDisplay::VirtualDisplay()
{
    // -displayfd picks the first free display number and writes it once the
    // server accepts clients; a depth of 24 is what a desktop runs at.
    m_server.setProcessChannelMode(QProcess::SeparateChannels);
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                    QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!m_server.waitForStarted(StartTimeoutMs)) {
        m_error = QStringLiteral("Xvfb did not start (%1); install the xvfb package")
                      .arg(m_server.errorString());
        return;
    }
    QByteArray number;
    while (!number.contains('\n') && m_server.waitForReadyRead(StartTimeoutMs))
        number += m_server.readAllStandardOutput();
    bool ok = false;
    const int display = number.trimmed().toInt(&ok);
    if (!ok) {
        m_error = QStringLiteral("Xvfb did not say which display it took: %1")
                      .arg(QString::fromLocal8Bit(m_server.readAllStandardError()).trimmed());
        m_server.kill();
        m_server.waitForFinished();
        return;
    }
    m_name = QStringLiteral(":%1").arg(display);
}

VirtualDisplay::~VirtualDisplay()
{
    if (m_server.state() == QProcess::NotRunning)
        return;
    m_server.terminate();
    if (!m_server.waitForFinished(StartTimeoutMs)) {
        m_server.kill();
        m_server.waitForFinished();
    }
}
