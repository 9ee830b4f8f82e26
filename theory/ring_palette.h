// theory/ring_palette: the base colour of each ring position of the circle of fifths (position 0
// at the top, clockwise), shared by the circle, the orb, note colours and the staff panel.
#pragma once

extern const float kRingPalette[12][3];  // r, g, b in 0..1 per ring position
