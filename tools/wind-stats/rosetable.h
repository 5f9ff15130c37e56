// SPDX-License-Identifier: MIT
#pragma once

#include "core/windrose.h"
#include "core/windsample.h"

#include <QByteArray>

#include <optional>

// The output of wind-stats --rose and --rose-svg: one wind rose over every
// sample read, with the times of the first and the last. Its memory is a
// few counters, however long the input.
class RoseTable
{
public:
    void add(const WindSample &sample);

    const WindRose &rose() const { return m_rose; }
    // UTC milliseconds of the first and the last sample; none before one.
    std::optional<qint64> firstMs() const { return m_firstMs; }
    std::optional<qint64> lastMs() const { return m_lastMs; }

    // The CSV table, header included: a row per sector in compass order from
    // N, then the calm row. Shares are of all samples, in percent with two
    // decimals; the calm row leaves the force columns empty.
    void appendCsv(QByteArray &out) const;

private:
    WindRose m_rose;
    std::optional<qint64> m_firstMs;
    std::optional<qint64> m_lastMs;
};
