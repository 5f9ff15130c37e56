// SPDX-License-Identifier: MIT
#pragma once

#include "feed/addon.h"

#include <QObject>

class NmeaOutput;
class NmeaServer;
class SettingsFile;
class WindFeed;

// Shares the wind with other programs as NMEA 0183 sentences when the
// settings file's [NMEA] section asks for it: the section is read once at
// start and never written, the sockets are opened, and every reading the
// feed accepts becomes sentences. Without the section nothing is opened.
class WindSharing : public QObject, public AddOn
{
    Q_OBJECT

public:
    WindSharing(const SettingsFile &settings, WindFeed &feed, QObject *parent = nullptr);
    ~WindSharing() override;

    // Reads the section and opens what it asks for. A section or a network
    // that refuses is told naming the key or the port and the file; the
    // display goes on either way.
    QStringList start() override;

    NmeaServer *server() const { return m_server; }
    NmeaOutput *output() const { return m_output; }

private:
    const SettingsFile &m_settings;
    WindFeed &m_feed;
    NmeaServer *m_server = nullptr;
    NmeaOutput *m_output = nullptr;
};
