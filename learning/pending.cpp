// learning/pending: learning-model functions others already call, whose bodies come later.
#include "learning/attempts.h"
#include "learning/learning_files.h"
#include "learning/learning_model.h"
#include "learning/pending.h"

std::string gPracticeItemId;

// Filled in later with the lesson unlocking.
bool IsItemAvailable(const LibraryItem&) { return false; }
// Filled in later with the mastery credit.
int AddScaleItems(const char*, int) { return 0; }

// Filled in later with the schedule.
std::string gCurrentLearningDay;
std::string gViewingPlannedDay;
int gPlannedLessonNumber = 0;
std::unordered_set<std::string, IdHash> gUnlockedTypeKeys;
int gOpenSyllabusCount = -1;
// Filled in later with the practice sets.
std::string gPracticeStudentKey;
std::string gPracticeItemDay;

// Filled in later with the schedule; until then it only shows a worker's failed save.
void CheckDayRollover() { TakeSaveFailureStatus(); }
// Filled in later with the schedule.
void RebuildSchedule() {}
// Filled in later with the browser model.
void SortLibraryItems() {}
// Filled in later with the practice sets.
void ClearPracticeSet() {}

// Filled in later with the lesson runs.
bool gRhythmStudyMode = false;
// Filled in later with the lesson runs.
bool gSightReadingMode = false;
// Filled in later with the lesson runs.
void ResetLearningRun() {}
// Filled in later with the lesson runs: no library yet, so no item is known.
int RecordAttempt(const PracticeRunResult&) { return -1; }
// Filled in later with the practice sets.
bool AdvancePracticeSet() { return false; }
