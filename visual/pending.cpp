// visual/pending: functions that other code already calls whose bodies come with later work.
#include "visual/orb_state.h"
#include "visual/pending.h"
#include "visual/start_screen.h"

int gRingModePendingSave = -1;
int gNoteSparkCount = 0;

// Filled in later with the start screen.
void ResetStartScreen() {}
// Filled in later with the start screen.
void SetLanguageListRows(float) {}
// Filled in later with the orb's renderer.
void DrawOrb(const OrbParams&, OrbState&) {}
// Filled in later with the start screen.
bool DrawStartScreen(float) { return false; }
// Filled in later with the circle view.
void DrawBackgroundGradient() {}
// Filled in later with the note sparks.
void SpawnNoteSpark(int, float) {}
// Filled in later with the backdrop.
void DrawBackdrop(float, float) {}
