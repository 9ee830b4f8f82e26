// learning/placement: placement counts and applying them.
#include "learning/placement.h"

#include <algorithm>
#include <cmath>

#include "app/base/status_text.h"
#include "learning/daily_blocks.h"
#include "learning/iso_dates.h"
#include "learning/learning_files.h"
#include "learning/learning_records.h"
#include "learning/lessons.h"
#include "learning/library_index.h"
#include "learning/schedule.h"
#include "platform/file_replace.h"
#include "practice/data_files.h"

// ---- constants ----
const char* const kPlacementSections[7] = {"foundations", "scales", "chords", "mechanics", "sight", "etude", "repertoire"};

// ---- state ----
int gPlacementCounts[7] = {0, 0, 0, 0, 0, 0, 0};   // placed items per section

// ---- internal helpers ----
// A copy of each learning file as it was before the placement, replacing an older copy.
static void KeepPrePlacementCopies() {
  for (const std::string& path : {ProgressFilePath(), MasteryFilePath(), ScheduleFilePath(), CalendarFilePath()}) {
    std::string content;
    if (ReadDataFileBytes(path, &content) != DataFileRead::kOk) continue;
    ReplaceFileWithContent(PrePlacementCopyPath(path), content, nullptr);
  }
}

// An earlier placement's marks go. Its records hold no practice of the student's own (the
// next real attempt clears the mark), so they go as well and a new placement starts clean.
static bool UndoEarlierPlacement() {
  bool any = false;
  for (auto it = gMasteryRecords.begin(); it != gMasteryRecords.end();) {
    if (!it->second.placed_by_source) {
      ++it;
      continue;
    }
    gCompletedItems.erase(it->first);
    it = gMasteryRecords.erase(it);
    any = true;
  }
  return any;
}

// A placed record holds one attempt and one pass; the student's first real attempt clears the mark
// and zeroes the best tempo, and every pass or credit after it leaves a tempo above zero. Passes
// with no tempo behind them, on a record tried more often than passed, are the placement's own.
static bool HoldsOnlyPlacedPasses(const MasteryRecord& r) {
  return !r.placed_by_source && r.passes >= 1 && r.best_bpm <= 0.0f && r.attempts > r.passes;
}

// The placement's pass, day and attempt go; the student's own tries stay as they were.
static void TakeBackPlacedPasses(MasteryRecord& r) {
  r.attempts -= 1;
  r.passes = 0;
  r.distinct_pass_days = 0;
  r.last_pass_date.clear();
}

// Items past the placed count leave the progress set, unless they were really learnt. One
// that an earlier placement claimed and the student has only failed since no longer claims a pass,
// or it would still unlock, wait for review and stay out of the lessons.
static int RemoveUnplacedProgress() {
  int removed = 0;
  for (int s = 0; s < 7; ++s) {
    std::vector<std::string> ids = ListCategoryItemIds(kPlacementSections[s]);
    for (size_t i = (size_t)std::max(gPlacementCounts[s], 0); i < ids.size(); ++i) {
      auto r = gMasteryRecords.find(ids[i]);
      bool taken = r != gMasteryRecords.end() && HoldsOnlyPlacedPasses(r->second);
      if (taken) TakeBackPlacedPasses(r->second);
      bool real = r != gMasteryRecords.end() && !r->second.placed_by_source && r->second.passes >= 1;
      if ((!real && gCompletedItems.erase(ids[i])) || taken) ++removed;
    }
  }
  return removed;
}

// The first items of each section, up to its placed count, marked as learnt; an item with
// real practice of the student's own stays as it is. Returns how many were marked.
static int PlaceItems(const std::string& today) {
  int placed = 0;
  for (int s = 0; s < 7; ++s) {
    const std::string section = kPlacementSections[s];
    std::vector<std::string> ids = ListCategoryItemIds(section);
    std::string passDate = (section == "foundations" || section == "sight") ? AddDaysIsoDate(today, 2) : "";
    for (int i = 0; i < gPlacementCounts[s] && i < (int)ids.size(); ++i) {
      const LibraryItem* item = FindLibraryItem(ids[i]);
      if (!item) continue;
      auto existing = gMasteryRecords.find(ids[i]);
      if (existing != gMasteryRecords.end() && !existing->second.placed_by_source && existing->second.attempts > 0)
        continue;   // real practice stays as it is
      MasteryRecord& r = gMasteryRecords[ids[i]];
      r.attempts = std::max(r.attempts, 1);
      r.passes = std::max(r.passes, 1);
      r.distinct_pass_days = std::max(r.distinct_pass_days, 1);
      r.best_accuracy = std::max(r.best_accuracy, 1.0f);
      r.best_timing = std::max(r.best_timing, 1.0f);
      r.best_bpm = std::max(r.best_bpm, (float)item->target_bpm);
      r.latest_passed = true;
      r.placed_by_source = true;
      if (r.last_attempt_date.empty()) r.last_attempt_date = today;
      r.last_pass_date = passDate;
      gCompletedItems.insert(ids[i]);
      ++placed;
    }
  }
  return placed;
}

// ---- public functions ----
void ComputePlacementCounts(const int a[5]) {
  const double fractions[7] = {a[1] / 3.0, a[1] / 3.0, std::max(a[1] / 3.0 - 0.15, 0.0), a[3] * 0.5,
                               a[0] * 0.5, std::max(a[2] / 3.0 - 0.15, 0.0), a[2] / 3.0};
  for (int s = 0; s < 7; ++s) {
    int n = (int)ListCategoryItemIds(kPlacementSections[s]).size();
    double wanted = std::ceil(n * fractions[s] - 0.5 - 0.0001);
    int count = (int)std::clamp(wanted, 0.0, (double)n);
    if (a[4] >= 3) count = std::max(count - std::max(n / 5, 1), 0);
    gPlacementCounts[s] = count;
  }
}

int ApplyPlacement() {
  EnsureLibraryLoaded();
  BackupLearningFiles();
  KeepPrePlacementCopies();
  if (UndoEarlierPlacement()) {
    SaveMastery();
    SaveProgress();
    RebuildSchedule();
  }
  int removed = RemoveUnplacedProgress();
  std::string today = TodayIsoDate();
  int placed = PlaceItems(today);
  if (placed == 0) {
    bool library = gLibraryLoaded && !gLibraryItems.empty() && PlanHasLibraryItems();
    gStatusText = library ? "Starting from the beginning - that's what your answers placed you at"
                          : "Placement did nothing: the lesson library is missing (reinstall to restore MIDI/Library)";
    if (removed > 0) {
      SaveMastery();
      SaveProgress();
    }
  } else {
    SaveMastery();
    SaveProgress();
  }
  gOpenSyllabusCount = -1;
  gViewingPlannedDay.clear();
  gCurrentLearningDay = today;
  RebuildSchedule();
  auto day = gLearningCalendar.find(today);
  if (day != gLearningCalendar.end() && day->second.lesson <= 0) day->second.lesson = NextLessonNumber();
  ReplanFutureDays();
  OpenCalendarDay(today);
  gLearningCalendar.erase(gLearningCalendar.begin(), gLearningCalendar.lower_bound(today));
  SaveCalendar();
  return placed;
}

bool IsPlacementPromptAvailable() { return false; }
