// visual/pending: functions that other code already calls whose bodies come with later work.
#include "visual/orb_state.h"
#include "visual/start_screen.h"

// Filled in later with the start screen.
void ResetStartScreen() {}
// Filled in later with the start screen.
void SetLanguageListRows(float) {}
// Filled in later with the orb's renderer.
void DrawOrb(const OrbParams&, OrbState&) {}
