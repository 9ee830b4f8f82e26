// theory/pending: bodies of the theory functions whose real work comes later (declared, each with
// its marker, in theory/scale_selection.h).
#include "theory/scale_selection.h"

bool IsScaleListHeld() { return false; }
