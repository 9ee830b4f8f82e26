// visual/pending: bodies of the visualiser's functions whose real work comes later (declared, each
// with its marker, in visual/start_screen.h and orb_state.h).
#include "visual/orb_state.h"
#include "visual/start_screen.h"

void ResetStartScreen() {}
void SetLanguageListRows(float) {}
void DrawOrb(const OrbParams&, OrbState&) {}
bool DrawStartScreen(float) { return false; }
