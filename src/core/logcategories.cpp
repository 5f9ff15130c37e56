// SPDX-License-Identifier: MIT
#include "core/logcategories.h"

Q_LOGGING_CATEGORY(windSerial, "wind.serial", QtInfoMsg)
Q_LOGGING_CATEGORY(windInput, "wind.input", QtInfoMsg)
Q_LOGGING_CATEGORY(windNmea, "wind.nmea", QtInfoMsg)
Q_LOGGING_CATEGORY(windMqtt, "wind.mqtt", QtInfoMsg)
Q_LOGGING_CATEGORY(windLog, "wind.log", QtInfoMsg)
Q_LOGGING_CATEGORY(windAlarm, "wind.alarm", QtInfoMsg)
Q_LOGGING_CATEGORY(windApp, "wind.app", QtInfoMsg)
