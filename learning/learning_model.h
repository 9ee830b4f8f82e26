// learning/learning_model: what the student records use of the learning model.
#pragma once
#include <string>

#include "learning/learning_records.h"
#include "learning/library_index.h"

// The id of the library item loaded for practice ("" for none).
extern std::string gPracticeItemId;
// Filled in later with the lesson unlocking: the item is open for the active student.
bool IsItemAvailable(const LibraryItem& item);
// Filled in later with the mastery credit: a scale was played up through an octave at a ring
// position (result unused).
int AddScaleItems(const char* scaleDisplayName, int ringPos);
