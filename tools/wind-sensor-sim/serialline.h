// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

// The simulator's end of a serial line: a device it was given, or a
// pseudo-terminal it created, whose other end the application opens like a
// serial port. Opening failures are thrown as std::runtime_error.
class SerialLine
{
public:
    // Opens a serial device (9600 baud, 8N1, raw) or any writable file.
    static SerialLine openDevice(const QString &path);
    // Creates a raw pseudo-terminal; path() names the end readers open.
    static SerialLine createPseudoTerminal();

    SerialLine(SerialLine &&other) noexcept;
    SerialLine(const SerialLine &) = delete;
    SerialLine &operator=(const SerialLine &) = delete;
    SerialLine &operator=(SerialLine &&) = delete;
    ~SerialLine();

    const QString &path() const { return m_path; }

    // Writes all of data. Returns false when the bytes were dropped because
    // no one is reading the pseudo-terminal: left unread they would reach
    // the application as a burst of stale frames when it opens the port.
    // Throws std::runtime_error when the device fails.
    bool write(const QByteArray &data);

private:
    SerialLine(int fd, QString path, bool pseudoTerminal);

    int m_fd = -1;
    QString m_path;
    bool m_pseudoTerminal = false;
};
