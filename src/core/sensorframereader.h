// SPDX-License-Identifier: MIT
#pragma once

#include "core/windreading.h"

#include <QString>

// Reads the wind sensor's frames (core/sensorframe.h) from a line. A frame
// whose checksum matches gives a reading of the fields that hold numbers;
// any other frame taken from the line is rejected: a wrong checksum, one that
// is not hexadecimal, a missing field, a number too large, a speed above
// MaxReadableMetresPerSecond, a frame too long.
// On a long cable such frames are line noise, one in 256 of them passing
// the one-byte checksum by chance, so none of them may stop the display.
class SensorFrameReader : public WindLineReader
{
public:
    std::vector<WindLineEvent> feed(QByteArrayView bytes) override;
    bool awaitsQuietLine() const override;
    std::vector<WindLineEvent> lineWentQuiet() override;
    void reset() override;
    qsizetype bufferedSize() const override { return m_buffer.size(); }

private:
    std::vector<WindLineEvent> takeFrames(bool lineQuiet);

    QString m_buffer; // one character per received byte
};
