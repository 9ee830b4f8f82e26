// learning/pending: learning-model services others already call whose bodies come later.
#pragma once

#include "learning/learning_records.h"
#include "learning/library_index.h"
#include "learning/schedule.h"

// Filled in later with the browser model: the library's order for the current view.
void SortLibraryItems();
