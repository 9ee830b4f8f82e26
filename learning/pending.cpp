// learning/pending: learning-model functions others already call, whose bodies come later.
#include "learning/attempts.h"
#include "learning/pending.h"

// Filled in later with the browser model.
void SortLibraryItems() { InvalidateLibraryItemIndex(); }
// Filled in later with the practice sets.
bool AdvancePracticeSet() { return false; }
