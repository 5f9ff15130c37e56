// SPDX-License-Identifier: MIT
#pragma once

#include <QLoggingCategory>

// One category per area for messages meant for the terminal. Debug output is
// off by default; QT_LOGGING_RULES="wind.mqtt.debug=true" turns on one area.
Q_DECLARE_LOGGING_CATEGORY(windSerial) // wind.serial: the serial port
Q_DECLARE_LOGGING_CATEGORY(windInput) // wind.input: NMEA 0183, TCP and UDP inputs
Q_DECLARE_LOGGING_CATEGORY(windNmea) // wind.nmea: sharing the wind as NMEA 0183
Q_DECLARE_LOGGING_CATEGORY(windMqtt) // wind.mqtt: the MQTT client
Q_DECLARE_LOGGING_CATEGORY(windLog) // wind.log: the data log
Q_DECLARE_LOGGING_CATEGORY(windAlarm) // wind.alarm: wind alarms
Q_DECLARE_LOGGING_CATEGORY(windApp) // wind.app: start-up and errors of the application
