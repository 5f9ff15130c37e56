// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <memory>

class SettingsFile;
class WindLink;

// The input that listening reads, as the settings file asks for it: the
// sensor's frames on the serial port chosen in the port dialog, waited for
// when lost if [PORTS] Reconnect=True.
class WindInput
{
public:
    explicit WindInput(const SettingsFile &settings);

    // Reads what the input needs from the settings file, once, after the
    // window has chosen the file. Returns what the user must be told once
    // when a value cannot be used (the input then goes on with its
    // default); empty when all is well.
    QString readSettings();

    // A new link for the port: what WindWindow::LinkFactory asks for.
    std::unique_ptr<WindLink> makeLink(int portNumber) const;

private:
    const SettingsFile &m_settings;
    bool m_reconnect = false;
};
