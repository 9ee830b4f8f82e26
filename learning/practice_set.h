// learning/practice_set: the item opened for practice and the practice set that plays library
// items one after another (the selected cards, or the open blocks of the daily lesson).
#pragma once
#include <string>
#include <vector>

// ---- the opened item ----
extern std::string gPracticeItemId;       // the item whose attempts are recorded, "" for none
extern std::string gPracticeStudentKey;   // StudentFileKey when it was opened
extern std::string gPracticeItemDay;      // the calendar day it is assigned on, "" when none
extern std::string gLastRecordedItemId;   // the item whose attempt was recorded last

// ---- the set ----
extern std::vector<std::string> gPracticeSetIds;   // the set's cards in order
extern int gPracticeSetIndex;                      // the card playing now, -1 for none
extern bool gPracticeSetActive;                    // a set is running
extern bool gPracticeSetSkipDone;                  // the set is the daily lesson (skips cards done today)
extern bool gLoadingPracticeCard;                  // a card's song is being loaded (the set survives it)

// Empties the set: not active, index -1, and the next set is a daily one unless said otherwise.
void ClearPracticeSet();
// Back to the start values (tests).
void ResetPracticeSet();
