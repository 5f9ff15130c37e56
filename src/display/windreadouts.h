#pragma once

class frmMain;

// Gives every wind readout and condition box an accessible description of
// what it shows, so a screen reader announces "Wind speed in km/h" rather
// than a bare "3.6". The accessible name stays the text on screen. Call once
// the window's controls exist; calling again changes nothing.
void describeWindReadouts(frmMain &window);
