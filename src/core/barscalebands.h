// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

// The colour bands behind the main window's bar scale, from calm (white) up
// to storm (black), by day and at night: the one table of them, for the
// window and for the wind rose, whose wedges wear the band their force
// reaches on the scale.
struct BarScaleBand
{
    // The band's upper edge as a bar's Top in twips: it fills the scale from
    // here down to the upper edge of the band below it.
    int topTwips;
    quint32 dayRgb; // 0xRRGGBB
    // Shades of red a step apart, dark enough for the red text rows.
    quint32 nightRgb;
};

inline constexpr BarScaleBand BarScaleBands[] = {
    {4440, 0xFFFFFF, 0x640000},
    {4080, 0xFFFFC0, 0x5A0000},
    {3600, 0xC0FFFF, 0x500000},
    {3120, 0xC0C0FF, 0x460000},
    {2640, 0x8080FF, 0x3C0000},
    {2160, 0x0000FF, 0x320000},
    {1680, 0x0000C0, 0x280000},
    {1200, 0x000080, 0x1E0000},
    {600, 0x000040, 0x140000},
    // Up to the top of the frame and beyond, where the fastest bars go.
    {-1000000, 0x000000, 0x000000},
};

// The band behind a bar's top edge at this speed.
const BarScaleBand &barScaleBandAt(double kmh);

// The band of a Beaufort force (1 to 12, by WmoBeaufortLimits): the one at
// the middle of the force's speeds, or at its lower limit for force 12,
// which has no upper one. Forces 1-2, 3-4, ... 11-12 share a band, since the
// scale has fewer bands than forces. Force 0 and any other number give the
// calm band.
const BarScaleBand &beaufortForceBand(int force);
