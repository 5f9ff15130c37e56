// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

#include <functional>

class SettingsFile;

// The four settings the main window keeps between runs.
struct WindSettings
{
    qint16 portNumber = 1;
    bool exampleModeOn = true;
    double directionDegrees = 1;
    double speedMetresPerSecond = 1;
};

// Selects "Application.ini" in the settings file's folder; touches no file.
void selectWindSettingsFile(SettingsFile &file);

// Selects "Application.ini" and, when it is missing, creates it with the
// defaults as six lines in a fixed order. An existing file is left as it is.
// Throws AppError (FileError) when the file cannot be created.
void ensureWindSettingsFile(SettingsFile &file);

// Reads the example mode, the direction, the speed and the port number, in
// this order, and hands the port number to acceptPort, which may refuse it by
// throwing AppError. Throws AppError naming the file, the section, the key and
// what is wrong with it when a value is missing, does not convert or is
// refused.
WindSettings readWindSettings(const SettingsFile &file,
                              const std::function<void(qint16)> &acceptPort);

// Writes the four settings back. A write that fails is skipped, so closing
// is never refused.
void writeWindSettings(SettingsFile &file, const WindSettings &settings);
