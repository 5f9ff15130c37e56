// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

class WindRose;

// The wind rose as a standalone SVG picture: north up, a wedge for each of
// the 16 sectors whose length is the sector's share of all samples, stacked
// outwards by Beaufort force in the colours of the main window's bar scale,
// the calm share in the centre, rings that mark the shares, the sector
// names, a legend and the UTC time span from firstMs to lastMs (none for an
// empty rose).
QByteArray windRoseSvg(const WindRose &rose, std::optional<qint64> firstMs,
                       std::optional<qint64> lastMs);
