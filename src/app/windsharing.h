// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class NmeaOutput;
class NmeaServer;
class SettingsFile;
class WindWindow;

// Shares the wind with other programs as NMEA 0183 sentences when the
// settings file's [NMEA] section asks for it: the section is read once at
// start and never written, the sockets are opened, and every sample the
// window accepts becomes sentences. Without the section nothing is opened.
class WindSharing : public QObject
{
    Q_OBJECT

public:
    WindSharing(const SettingsFile &settings, WindWindow &window, QObject *parent = nullptr);
    ~WindSharing() override;

    // Reads the section and opens what it asks for. Returns what the user
    // must be told once when the section or the network refuses, naming the
    // key or the port and the file; empty when all is well. The display goes
    // on either way.
    QString start();

    NmeaServer *server() const { return m_server; }

private:
    const SettingsFile &m_settings;
    WindWindow &m_window;
    NmeaServer *m_server = nullptr;
    NmeaOutput *m_output = nullptr;
};
