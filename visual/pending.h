// visual/pending: circle-visualiser services the frame already calls whose bodies come later.
#pragma once
#include "visual/orb_params.h"
#include "visual/orb_state.h"
#include "visual/start_screen.h"

extern int gRingModePendingSave;  // a ring-mode value waiting to be saved, -1 for none
extern int gNoteSparkCount;       // note sparks of this frame

// Draws the start screen for this frame; true while it is shown.
bool DrawStartScreen(float now);
// Draws the circle view's background gradient.
void DrawBackgroundGradient();
// Adds one note spark for this frame.
void SpawnNoteSpark(int note, float strength);
// Draws the backdrop star field.
void DrawBackdrop(float dt, float b);
