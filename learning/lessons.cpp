// learning/lessons: lesson lookup, sections and the unlocking of types.
#include "learning/lessons.h"

#include <algorithm>
#include <climits>

#include "learning/attempt_rules.h"
#include "learning/learning_records.h"
#include "learning/schedule.h"

// ---- constants ----
const char* const kSectionOrder[7] = {"foundations", "scales", "chords", "mechanics", "sight", "etude", "repertoire"};
static const int kLessonCycle = 28;   // days past the plan cycle through this many last lessons

// ---- state ----
std::unordered_set<std::string, IdHash> gDayItemSet;        // items of the shown day
std::unordered_set<std::string, IdHash> gUnlockedTypeKeys;  // open types

// ---- internal helpers ----
static bool TypePassed(const std::string& section, const std::string& type) {
  for (const LibraryItem& item : gLibraryItems) {
    if (item.category != section || item.type != type || gCompletedItems.count(item.id)) continue;
    auto r = gMasteryRecords.find(item.id);
    if (r == gMasteryRecords.end() || r->second.distinct_pass_days < 1) return false;
  }
  return true;
}

// ---- public functions ----
int LastLessonNumber() {
  LoadLessonPlan();
  return gLessonPlan.empty() ? 0 : gLessonPlan.rbegin()->first;
}

const Lesson* FindLesson(int number) {
  int last = LastLessonNumber();
  if (last == 0) return nullptr;
  int64_t n = std::max(number, 1);
  if (n > last) {
    int64_t window = std::min(last, kLessonCycle);
    n = last - window + 1 + (n - last - 1) % window;
  }
  auto found = gLessonPlan.find((int)n);
  return found == gLessonPlan.end() ? nullptr : &found->second;
}

std::vector<std::string> KnownLessonItemIds(int number) {
  std::vector<std::string> ids;
  if (const Lesson* lesson = FindLesson(number))
    for (const std::string& id : lesson->ids)
      if (IsKnownItemId(id)) ids.push_back(id);
  return ids;
}

bool PlanHasLibraryItems() {
  LoadLessonPlan();
  for (const auto& entry : gLessonPlan)
    for (const std::string& id : entry.second.ids)
      if (IsKnownItemId(id)) return true;
  return false;
}

int NextLessonNumber() {
  int highest = 0;
  for (const auto& [date, day] : gLearningCalendar)
    if (day.lesson > 0 && !day.assigned.empty() && AreItemsDone(day)) highest = std::max(highest, day.lesson);
  return highest == INT_MAX ? highest : highest + 1;
}

std::string LastPracticeDate() {
  std::string latest;
  for (const auto& [date, day] : gLearningCalendar)
    if (!day.complete.empty()) latest = std::max(latest, date);
  for (const auto& entry : gMasteryRecords)
    latest = std::max({latest, entry.second.last_attempt_date, entry.second.last_pass_date});
  return latest;
}

int CategoryCode(const std::string& category) {
  static const struct { const char* name; int code; } kCodes[] = {
      {"sight", 0}, {"mechanics", 1}, {"scales", 2}, {"chords", 3}, {"etude", 4}, {"foundations", 5}, {"repertoire", 6}};
  for (const auto& c : kCodes)
    if (category == c.name) return c.code;
  return 3;
}

void UnlockTypes() {
  // A previewed day keeps its items: the preview shows them until it ends.
  if (gViewingPlannedDay.empty()) gDayItemSet.clear();
  gUnlockedTypeKeys.clear();
  std::vector<const LibraryItem*> inFileOrder;
  for (const LibraryItem& item : gLibraryItems) inFileOrder.push_back(&item);
  std::stable_sort(inFileOrder.begin(), inFileOrder.end(),
                   [](const LibraryItem* a, const LibraryItem* b) { return a->row_index < b->row_index; });
  for (const char* section : kSectionOrder) {
    std::vector<std::string> types;
    for (const LibraryItem* item : inFileOrder)
      if (item->category == section && std::find(types.begin(), types.end(), item->type) == types.end())
        types.push_back(item->type);
    for (const std::string& type : types) {
      gUnlockedTypeKeys.insert(ItemSkillKey(section, type));
      if (!TypePassed(section, type)) break;
    }
  }
}

bool IsItemUnlocked(const LibraryItem& item) {
  if (gViewingPlannedDay.empty() && gDayItemSet.count(item.id)) return true;
  return gUnlockedTypeKeys.count(ItemSkillKey(item.category, item.type)) != 0;
}

bool IsItemAvailable(const LibraryItem& item) {
  if (item.category == "foundations" || item.category == "repertoire" || item.category == "etude") return true;
  return IsItemUnlocked(item);
}
