// learning/pending: learning-model functions others already call, whose bodies come later.
#include "learning/attempts.h"
#include "learning/learning_model.h"
#include "learning/pending.h"

std::string gPracticeItemId;

// Filled in later with the lesson library.
LibraryItem* FindLibraryItem(const std::string&) { return nullptr; }
// Filled in later with the lesson library.
bool IsItemAvailable(const LibraryItem&) { return false; }
// Filled in later with the learning records.
void OnStudentChanged() {}
// Filled in later with the learning records.
int AddScaleItems(const char*, int) { return 0; }

bool gLibraryLoaded = false;

// Filled in later with the learning calendar.
void CheckDayRollover() {}
// Filled in later with the learning calendar.
void SaveCalendar() {}
// Filled in later with the mastery records.
void SaveMastery() {}
// Filled in later with the progress records.
void SaveProgress() {}
// Filled in later with the schedule.
void SaveSchedule() {}

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
