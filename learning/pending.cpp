// learning/pending: learning-model functions others already call, whose bodies come later.
#include "learning/pending.h"

#include "learning/attempts.h"

// Filled in later with the browser model.
void SortLibraryItems() { InvalidateLibraryItemIndex(); }
// Filled in later with the practice sets.
bool AdvancePracticeSet() { return false; }
