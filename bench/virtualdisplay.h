// SPDX-License-Identifier: MIT
#pragma once

#include <QProcess>
#include <QString>

// An X server of the bench's own, Xvfb, on the first free display number:
// there a window's repainted pixels go to a display server, as on a user's
// desktop, where the offscreen platform drops them. Stopped with the object.
class VirtualDisplay
{
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay &) = delete;
    VirtualDisplay &operator=(const VirtualDisplay &) = delete;

    bool isRunning() const { return !m_name.isEmpty(); }
    // What DISPLAY names it, ":N"; empty when it did not start.
    QString name() const { return m_name; }
    qint64 pid() const { return m_server.processId(); }
    // Why it did not start.
    QString error() const { return m_error; }

private:
    QProcess m_server;
    QString m_name;
    QString m_error;
};
