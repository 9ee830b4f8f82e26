// app/orb_gate: when and where the frame draws the orb. Ring mode shrinks it away and turns it;
// the student view, practice mode and a full song view hide it (the learning overlay keeps it,
// drawn at the circle's own centre and inner radius).
#pragma once
#include "visual/orb_params.h"

// The orb's place in this frame.
struct OrbPlacement {
  bool draw = false;        // false: neither stepped nor drawn this frame
  OrbParams params;         // the frame's record with its fade (and centre under the overlay)
  float turnDegrees = 0;    // rotation about (pivotX, pivotY); 0 for none
  float pivotX = 0, pivotY = 0;
};

// The placement from the frame's record and the view flags and fades.
OrbPlacement ComputeOrbPlacement(const OrbParams& visual);
// Steps and draws the orb when the placement says so; the GL matrix is restored.
void DrawOrbInFrame();
// The orb was drawn in the last frame and is still relaxing after the last thing played: the loop
// must not rest and freeze it half way.
bool IsOrbSettling();
