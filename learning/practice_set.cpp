// learning/practice_set: the state of the opened item and of the running practice set.
#include "learning/practice_set.h"

// ---- state ----
std::string gPracticeItemId;                 // see the header
std::string gPracticeStudentKey;
std::string gPracticeItemDay;
std::string gLastRecordedItemId;
std::vector<std::string> gPracticeSetIds;
int gPracticeSetIndex = -1;
bool gPracticeSetActive = false;
bool gPracticeSetSkipDone = true;
bool gLoadingPracticeCard = false;

// ---- public functions ----
void ClearPracticeSet() {
  gPracticeSetIds.clear();
  gPracticeSetActive = false;
  gPracticeSetIndex = -1;
  gPracticeSetSkipDone = true;
}

void ResetPracticeSet() {
  ClearPracticeSet();
  gPracticeItemId.clear();
  gPracticeStudentKey.clear();
  gPracticeItemDay.clear();
  gLastRecordedItemId.clear();
  gLoadingPracticeCard = false;
}
