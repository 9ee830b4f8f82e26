// learning/pending: bodies of the learning model's functions whose real work comes later (declared,
// each with its marker, in learning/library_index.h and attempts.h).
#include "learning/attempts.h"
#include "learning/library_index.h"

void SortLibraryItems() { InvalidateLibraryItemIndex(); }
bool AdvancePracticeSet() { return false; }
