// learning/pending: learning-model services others already call whose bodies come later.
#pragma once
#include <string>
#include <unordered_set>

#include "learning/id_hash.h"
#include "learning/learning_records.h"
#include "learning/library_index.h"

// Filled in later with the schedule: the shown day, its preview and the unlocked types.
extern std::string gCurrentLearningDay;                          // the day the daily lesson shows
extern std::string gViewingPlannedDay;                           // previewed date, "" when none
extern int gPlannedLessonNumber;                                 // lesson shown while previewing
extern std::unordered_set<std::string, IdHash> gUnlockedTypeKeys; // "category\ttype" keys
extern int gOpenSyllabusCount;                                   // cached count, -1 stale
// Filled in later with the practice sets: who opened the loaded item, and on which day.
extern std::string gPracticeStudentKey;
extern std::string gPracticeItemDay;

// Filled in later with the schedule: at most once a second, rebuilds the day's state when the
// date changed.
void CheckDayRollover();
// Filled in later with the schedule: unlocking, plan changes and today's day.
void RebuildSchedule();
// Filled in later with the browser model: the library's order for the current view.
void SortLibraryItems();
// Filled in later with the practice sets: empties the running set.
void ClearPracticeSet();
