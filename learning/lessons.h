// learning/lessons: lessons of the plan by number (days past the last lesson cycle through the
// last 28), the sections and their order, and which items a student may open: the first type of
// every section is open, and each further type opens once every item of the types before it has
// passed on some day.
#pragma once
#include <string>
#include <unordered_set>
#include <vector>

#include "learning/id_hash.h"
#include "learning/lesson_plan.h"
#include "learning/library_index.h"

extern const char* const kSectionOrder[7];   // "foundations" .. "repertoire"

// ---- state ----
extern std::unordered_set<std::string, IdHash> gDayItemSet;        // items of the shown day
extern std::unordered_set<std::string, IdHash> gUnlockedTypeKeys;  // ItemSkillKey of open types

// The lesson for a day number: below 1 counts as 1; past the last lesson L the number cycles
// through the last min(L, 28) lessons; null for an empty plan or a gap in the numbering.
const Lesson* FindLesson(int number);
// The highest lesson number of the plan, 0 when empty (loads the plan).
int LastLessonNumber();
// The lesson's ids that the library knows, in plan order.
std::vector<std::string> KnownLessonItemIds(int number);
// Some lesson lists a library item.
bool PlanHasLibraryItems();
// 1 + the highest lesson of a calendar day whose blocks are all done; 1 when none.
int NextLessonNumber();
// The latest date with a completion, an attempt or a pass; "" when none.
std::string LastPracticeDate();
// The order of a day's blocks by section: sight 0, mechanics 1, scales 2, chords 3, etude 4,
// foundations 5, repertoire 6, anything else 3.
int CategoryCode(const std::string& category);
// Rebuilds gUnlockedTypeKeys from the progress and the records (the first step of a rebuild);
// empties gDayItemSet unless a planned day is previewed.
void UnlockTypes();
// In the shown day's items (unless a planned day is previewed) or of an unlocked type.
bool IsItemUnlocked(const LibraryItem& item);
// Foundations, etudes and repertoire are always open; other items when unlocked.
bool IsItemAvailable(const LibraryItem& item);
