// gfx/layout_facts: the hook through which the layout reads the floors above it.
#include "gfx/layout_facts.h"

// ---- state ----
void (*gLayoutFactsHook)(LayoutFacts* out) = nullptr;   // connected by the shell at start

// ---- public functions ----
LayoutFacts GetLayoutFacts() {
  LayoutFacts facts;
  if (gLayoutFactsHook) gLayoutFactsHook(&facts);
  return facts;
}
