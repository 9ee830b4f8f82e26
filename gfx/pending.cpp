// gfx/pending: bodies of the graphics functions whose real work comes later (declared, each with
// its marker, in gfx/layout.h).
#include "gfx/layout.h"

void RelayoutAll() {}
void LayoutHitRegions() {}
