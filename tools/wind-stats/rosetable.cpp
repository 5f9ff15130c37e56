// SPDX-License-Identifier: MIT
#include "rosetable.h"

#include "fixednumber.h"

void RoseTable::add(const WindSample &sample)
{
    m_rose.add(sample.directionDegrees, sample.speedMetresPerSecond);
    if (!m_firstMs)
        m_firstMs = sample.timeMs;
    m_lastMs = sample.timeMs;
}

void RoseTable::appendCsv(QByteArray &out) const
{
    out.append("sector,samples,percent");
    for (int force = 1; force <= WindRoseRules::forces; ++force)
        out.append(",f").append(QByteArray::number(force));
    out.append('\n');

    const auto appendShare = [&](qint64 count) {
        out.append(',');
        appendFixed(out, m_rose.percentOf(count), 2);
    };
    for (int sector = 0; sector < WindRoseRules::sectors; ++sector) {
        const qint64 samples = m_rose.sectorCount(sector);
        out.append(windRoseSectorName(sector).toLatin1());
        out.append(',').append(QByteArray::number(samples));
        appendShare(samples);
        for (int force = 1; force <= WindRoseRules::forces; ++force)
            appendShare(m_rose.count(sector, force));
        out.append('\n');
    }
    out.append("calm,").append(QByteArray::number(m_rose.calmCount()));
    appendShare(m_rose.calmCount());
    out.append(QByteArray(WindRoseRules::forces, ','));
    out.append('\n');
}
