// learning/placement: the placement quiz's result as learning records. Five answers place a count
// of each section's items (in file order) as already learnt; applying the placement marks them,
// undoes an earlier placement, keeps every record of real practice, and starts again from today.
#pragma once
#include <string>

extern const char* const kPlacementSections[7];   // the sections in the quiz's order
extern int gPlacementCounts[7];                    // the placed count per section

// Fills gPlacementCounts from the five answers (loads the library when needed).
void ComputePlacementCounts(const int answers[5]);
// Applies gPlacementCounts to the active student's records; returns the number of items placed.
int ApplyPlacement();
// Whether the start screen's row above its AUDIO OUT header may raise the quiz: the start screen
// draws nothing in that row, so a press on an empty spot would end it and open a quiz; never. The
// students panel's button opens the quiz.
bool IsPlacementPromptAvailable();
