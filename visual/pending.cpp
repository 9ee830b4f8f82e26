// visual/pending: bodies of the visualiser's functions whose real work comes later (declared, each
// with its marker, in orb_state.h).
#include "visual/orb_state.h"

void DrawOrb(const OrbParams&, OrbState&) {}
