// visual/orb_draw: the orb's drawing of one frame: the arrays of every pass built from the state
// (no GL, so tests and benchmarks reach them), then emitted with vertex and colour arrays.
#pragma once
#include "visual/orb_state.h"

// Fills the body, radial lines, ribbons, beads and outlines for this frame into gOrbDraw and
// gOrbOverlays; false (nothing to draw) when the state is not set up.
bool BuildOrbDrawing(const OrbParams& p, OrbState& s);
// Forgets the drawing's clock, detail level, flash pulse, trails and beads.
void ResetOrbDrawing();
