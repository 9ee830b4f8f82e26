// visual/pending: bodies of the visualiser's functions whose real work comes later (declared, each
// with its marker, in visual/start_screen.h, backdrop.h, note_sparks.h and orb_state.h).
#include "visual/backdrop.h"
#include "visual/note_sparks.h"
#include "visual/orb_state.h"
#include "visual/start_screen.h"

void ResetStartScreen() {}
void SetLanguageListRows(float) {}
void DrawOrb(const OrbParams&, OrbState&) {}
bool DrawStartScreen(float) { return false; }
void DrawBackgroundGradient() {}
void SpawnNoteSpark(int, float) {}
void DrawBackdrop(float, float) {}
