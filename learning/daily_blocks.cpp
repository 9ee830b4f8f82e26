// learning/daily_blocks: daily blocks, spaced review, the syllabus lists and set-aside items.
#include "learning/daily_blocks.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "learning/attempt_rules.h"
#include "learning/id_hash.h"
#include "learning/iso_dates.h"
#include "learning/learning_records.h"
#include "learning/lesson_plan.h"
#include "learning/lessons.h"
#include "learning/schedule.h"

// ---- constants ----
const int kBlocksPerLoad[4] = {7, 14, 22, 32};
static const int kStrugglingAttempts = 5;   // attempts without a pass that make an item struggling
static const int kStrugglingKept = 2;       // struggling items a day still takes
// Review interval by distinct pass days 0..7 (7 and more: the last).
static const int kReviewIntervals[8] = {1, 1, 6, 12, 24, 48, 96, 120};

// ---- state ----
int gOpenSyllabusCount = -1;   // cached count, -1 stale

// ---- internal helpers ----
static const MasteryRecord* RecordOf(const std::string& id) {
  auto found = gMasteryRecords.find(id);
  return found == gMasteryRecords.end() ? nullptr : &found->second;
}

// The plan's known ids at their first occurrence, with the lesson that first lists them.
static std::vector<PendingSyllabusItem> FirstOccurrences() {
  std::vector<PendingSyllabusItem> out;
  std::unordered_set<std::string, IdHash> seen;
  LoadLessonPlan();
  // Only the numbers the plan holds: a gap has no ids, and the plan may hold a single far number.
  for (const auto& entry : gLessonPlan)
    for (const std::string& id : KnownLessonItemIds(entry.first))
      if (seen.insert(id).second) out.push_back({id, entry.first});
  return out;
}

static void SortBlocks(std::vector<std::string>& ids) { std::stable_sort(ids.begin(), ids.end(), ItemIdLess); }

// ---- public functions ----
int BlocksPerDay() { return kBlocksPerLoad[std::clamp(gPracticeLoad, 0, 3)]; }

int ReviewIntervalDays(int distinctPassDays) { return kReviewIntervals[std::clamp(distinctPassDays, 0, 7)]; }

bool ItemIdLess(const std::string& a, const std::string& b) {
  const LibraryItem* ia = FindLibraryItem(a);
  const LibraryItem* ib = FindLibraryItem(b);
  return CategoryCode(ia ? ia->category : "") < CategoryCode(ib ? ib->category : "");
}

std::vector<std::string> BuildLessonBlocks(const std::string& date) {
  const int blocks = BlocksPerDay();
  const int cap = std::max(2, (int)std::lround(0.4 * blocks));
  struct Candidate {
    int overdue;
    int row;
    const std::string* id;
  };
  std::vector<Candidate> candidates;
  for (const auto& [id, r] : gMasteryRecords) {
    if (r.last_pass_date.empty() || r.last_pass_date == date) continue;
    const LibraryItem* item = FindLibraryItem(id);
    if (!item) continue;
    int days = DaysBetweenIsoDates(r.last_pass_date, date);
    int interval = ReviewIntervalDays(r.distinct_pass_days);
    if (days >= interval) candidates.push_back({days - interval, item->row_index, &id});
  }
  // Equally overdue reviews go in library order, then by id, so a day's list is reproducible.
  std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
    if (a.overdue != b.overdue) return a.overdue > b.overdue;
    if (a.row != b.row) return a.row < b.row;
    return *a.id < *b.id;
  });
  std::vector<std::string> result;
  std::unordered_set<std::string, IdHash> taken;
  for (size_t i = 0; i < candidates.size() && (int)i < cap; ++i)
    if (IsKnownItemId(*candidates[i].id) && taken.insert(*candidates[i].id).second) result.push_back(*candidates[i].id);

  int struggling = 0;
  LoadLessonPlan();
  for (auto entry = gLessonPlan.begin(); entry != gLessonPlan.end() && (int)result.size() < blocks; ++entry) {
    for (const std::string& id : KnownLessonItemIds(entry->first)) {
      if ((int)result.size() >= blocks) break;
      if (taken.count(id)) continue;
      const LibraryItem* item = FindLibraryItem(id);
      bool take = !item;
      if (item && !IsItemMastered(*item)) {
        const MasteryRecord* r = RecordOf(id);
        if (!r || (r->passes < 1 && r->attempts < kStrugglingAttempts)) take = true;
        else if (r->passes < 1 && struggling < kStrugglingKept) take = true, ++struggling;
      }
      if (take && taken.insert(id).second) result.push_back(id);
    }
  }
  SortBlocks(result);
  return result;
}

std::vector<PendingSyllabusItem> PendingSyllabusItems() {
  std::vector<PendingSyllabusItem> out;
  for (const PendingSyllabusItem& p : FirstOccurrences()) {
    const LibraryItem* item = FindLibraryItem(p.id);
    if (!item || IsItemMastered(*item)) continue;
    const MasteryRecord* r = RecordOf(p.id);
    if (r && r->passes >= 1) continue;
    out.push_back(p);
  }
  return out;
}

std::vector<std::string> PlanDayAhead(int daysAhead, int* lessonOut) {
  if (lessonOut) *lessonOut = 0;
  std::vector<std::string> ids;
  if (daysAhead < 0) return ids;
  std::vector<PendingSyllabusItem> pending = PendingSyllabusItems();
  int64_t blocks = BlocksPerDay();
  int64_t first = blocks * daysAhead;
  // Later days follow today's blocks, passed or not: counted from the pending list alone, each
  // pass today would move every later day one item on, past items no day teaches.
  auto today = gLearningCalendar.find(TodayIsoDate());
  if (daysAhead > 0 && today != gLearningCalendar.end()) {
    const std::vector<std::string>& held = today->second.assigned;
    pending.erase(std::remove_if(pending.begin(), pending.end(),
                                 [&](const PendingSyllabusItem& p) { return ContainsId(held, p.id); }),
                  pending.end());
    first -= blocks;
  }
  int64_t end = std::min<int64_t>(first + blocks, (int64_t)pending.size());
  for (int64_t i = first; i < end; ++i) ids.push_back(pending[i].id);
  if (!ids.empty() && lessonOut) *lessonOut = pending[first].lesson;
  SortBlocks(ids);
  return ids;
}

std::vector<std::string> ListSetAsideItems() {
  std::vector<std::string> out;
  for (const PendingSyllabusItem& p : FirstOccurrences()) {
    if (gDayItemSet.count(p.id)) continue;
    const MasteryRecord* r = RecordOf(p.id);
    if (r && r->attempts >= kStrugglingAttempts && r->passes < 1) out.push_back(p.id);
  }
  return out;
}

bool HasSetAsideItems() {
  if (!gViewingPlannedDay.empty()) return false;
  if (!gCurrentLearningDay.empty() && gCurrentLearningDay != TodayIsoDate()) return false;
  return !ListSetAsideItems().empty();
}

int CountOpenSyllabusItems() {
  if (gOpenSyllabusCount >= 0) return gOpenSyllabusCount;
  int count = 0;
  for (const PendingSyllabusItem& p : FirstOccurrences()) {
    const LibraryItem* item = FindLibraryItem(p.id);
    if (!item || IsItemMastered(*item)) continue;
    const MasteryRecord* r = RecordOf(p.id);
    if (!r || r->attempts < 1) ++count;
  }
  gOpenSyllabusCount = count;
  return count;
}

void FillCalendarDay(const std::string& date) {
  int next = NextLessonNumber();
  CalendarDay& day = gLearningCalendar[date];
  if (day.lesson < 1) day.lesson = next;
  day.assigned = BuildLessonBlocks(date);
  day.complete.clear();
}
