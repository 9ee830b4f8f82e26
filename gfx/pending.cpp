// gfx/pending: graphics services that other subsystems already call, whose bodies come later.
#include "gfx/layout.h"

// Filled in later with the UI scale and layout.
void RelayoutAll() {}
