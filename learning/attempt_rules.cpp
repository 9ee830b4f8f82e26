// learning/attempt_rules: recording a finished lesson song and the item predicates.
//
// Section index: constants, internal helpers, predicates, recording an attempt, scale credit,
// the run reset.
#include "learning/attempt_rules.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <iterator>

#include "app/base/status_text.h"
#include "gfx/translate.h"
#include "learning/attempts.h"
#include "learning/daily_blocks.h"
#include "learning/iso_dates.h"
#include "learning/learning_files.h"
#include "learning/lessons.h"
#include "learning/library_view_state.h"
#include "learning/note_opener.h"
#include "learning/practice_set.h"
#include "learning/schedule.h"
#include "learning/sight_score.h"
#include "midi/playback.h"
#include "theory/circle_theory.h"

// ---- constants ----
static const float kScoreSlack = 0.0005f;   // accuracy and timing pass this much below the target
static const float kTempoSlack = 0.5f;      // bpm
static const int kMasteryDays = 2;          // distinct pass days that make an item mastered

// Scale display names whose achievement credits a library type.
static const struct { const char* scale; const char* type; } kScaleCredits[] = {
    {"Ionian", "Major Scales"}, {"Major", "Major Scales"}, {"Aeolian", "Natural Minor Scales"},
    {"Harmonic Minor", "Harmonic Minor Scales"}, {"Melodic Minor", "Melodic Minor Scales"},
    {"Chromatic", "Chromatic Scales"}, {"Whole Tone", "Whole Tone Scales"}};

// ---- state ----
PerformanceNoteOpener gPerformanceNoteOpener = nullptr;   // installed by the learning screens

// ---- internal helpers ----
static int32_t SaturatingIncrement(int32_t v) { return v == INT32_MAX ? v : v + 1; }

static const MasteryRecord* RecordOf(const std::string& id) {
  auto found = gMasteryRecords.find(id);
  return found == gMasteryRecords.end() ? nullptr : &found->second;
}

// Counts a run's values into the record's latest fields.
static void StoreLatest(MasteryRecord& r, const PracticeRunResult& run, float a, float t, float b, bool pass,
                        const std::string& today) {
  r.attempts = SaturatingIncrement(r.attempts);
  r.latest_accuracy = a;
  r.latest_timing = t;
  r.latest_bpm = b;
  r.latest_expected = run.expected, r.latest_landed = run.landed, r.latest_perfect = run.perfect;
  r.latest_good = run.good, r.latest_late_or_early = run.late_or_early, r.latest_missed = run.missed;
  r.latest_hold_breaks = run.hold_breaks, r.latest_wrong_attempts = run.wrong_attempts;
  r.latest_early = run.early, r.latest_late = run.late;
  r.latest_mean_abs_timing_ms = run.mean_abs_timing_ms;
  r.latest_mean_signed_timing_ms = run.mean_signed_timing_ms;
  r.latest_vel_samples = run.vel_samples;
  r.latest_mean_velocity = run.mean_velocity;
  r.latest_timing_std_ms = run.timing_std_ms;
  r.latest_vel_stdev = run.vel_stdev;
  r.latest_dynamics_state = run.dynamics_state;
  r.latest_dynamics = run.dynamics_value;
  r.latest_rhythm_state = r.latest_articulation_state = r.latest_pedal_state = r.latest_intervals_state = 0;
  r.latest_rhythm = r.latest_articulation = r.latest_pedal = r.latest_intervals = 0;
  r.latest_intervals_weakest = 0;
  r.latest_passed = pass;
  r.last_attempt_date = today;
}

static std::string Verdict(const LibraryItem& item, const MasteryRecord& r, const PracticeRunResult& run, float t,
                           bool pass, bool mastered) {
  if (!pass)
    return TrF("Assessed - completed %d/%d, timing %d%%/%d%%, %d missed, %d extra", run.landed, run.expected,
               (int)std::lround(t * 100), (int)std::lround(item.target_timing * 100), run.missed, run.wrong_attempts);
  if (mastered) return TrF("Mastered - retained on %d days at %d bpm", r.distinct_pass_days, (int)std::lround(r.best_bpm));
  if (r.distinct_pass_days < kMasteryDays) return Tr("Daily pass - repeat on another day for mastery");
  return TrF("Daily pass - target tempo %d/%d bpm", (int)std::lround(r.best_bpm), item.target_bpm);
}

// ---- predicates ----
std::string ItemSkillKey(const std::string& category, const std::string& type) { return category + "\t" + type; }

bool ContainsId(const std::vector<std::string>& ids, const std::string& id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

bool IsItemMastered(const LibraryItem& item) {
  const MasteryRecord* r = RecordOf(item.id);
  if (!r) return false;
  float accuracy = r->legacy_targets ? item.legacy_target_accuracy : item.target_accuracy;
  float timing = r->legacy_targets ? item.legacy_target_timing : item.target_timing;
  int bpm = r->legacy_targets ? item.legacy_target_bpm : item.target_bpm;
  return r->best_accuracy + kScoreSlack >= accuracy && r->best_timing + kScoreSlack >= timing &&
         r->best_bpm + kTempoSlack >= bpm && r->distinct_pass_days >= kMasteryDays;
}

bool IsItemComplete(const LibraryItem& item) {
  if (gCompletedItems.count(item.id)) return true;
  const MasteryRecord* r = RecordOf(item.id);
  if (!r || r->distinct_pass_days < kMasteryDays) return false;
  return r->best_bpm + kTempoSlack >= (r->legacy_targets ? item.legacy_target_bpm : item.target_bpm);
}

bool IsItemPassedOnDate(const std::string& id, const std::string& date) {
  const MasteryRecord* r = RecordOf(id);
  if (!r || r->latest_expected < 1 || !r->latest_passed) return false;
  // A block counts for the day it was opened on, which the clock may have left (a set played over
  // midnight, a day prepared ahead): the latest attempt is that of the latest day it was done on.
  auto day = gLearningCalendar.find(date);
  if (day == gLearningCalendar.end() || !day->second.complete.count(id)) return r->last_attempt_date == date;
  for (auto later = std::next(day); later != gLearningCalendar.end(); ++later)
    if (later->second.complete.count(id)) return false;
  return true;
}

bool IsItemDoneOnDay(const LibraryItem& item, const std::string& date) {
  auto day = date.empty() ? gLearningCalendar.end() : gLearningCalendar.find(date);
  if (day != gLearningCalendar.end() && ContainsId(day->second.assigned, item.id))
    return day->second.complete.count(item.id) != 0;
  return IsItemComplete(item);
}

bool IsItemDoneToday(const LibraryItem& item) {
  return IsItemDoneOnDay(item, gLibraryViewKey == "today" ? gCurrentLearningDay : "");
}

bool AreItemsDone(const CalendarDay& day) {
  bool any = false;
  for (const std::string& id : day.assigned) {
    if (!IsKnownItemId(id)) continue;
    if (!day.complete.count(id)) return false;
    any = true;
  }
  return any;
}

int CountDoneItems(const CalendarDay& day) {
  int done = 0;
  for (const std::string& id : day.assigned)
    if (IsKnownItemId(id) && day.complete.count(id)) ++done;
  return done;
}

int CountAssignedItems(const CalendarDay& day) {
  int count = 0;
  for (const std::string& id : day.assigned)
    if (IsKnownItemId(id)) ++count;
  return count;
}

bool DropUnplayableBlocksOfDoneDay(const std::string& date) {
  auto day = gLearningCalendar.find(date);
  if (day == gLearningCalendar.end() || !AreItemsDone(day->second)) return false;
  std::vector<std::string>& assigned = day->second.assigned;
  const auto& complete = day->second.complete;
  // Only a piece the library still holds: one taken out of the index comes back with it, as before.
  // A block played that day before its song went stays: the day was finished with it.
  auto kept = std::remove_if(assigned.begin(), assigned.end(), [&complete](const std::string& id) {
    return !IsKnownItemId(id) && FindLibraryItem(id) && !complete.count(id);
  });
  if (kept == assigned.end()) return false;
  assigned.erase(kept, assigned.end());
  return true;
}

bool IsDailyPass(const LibraryItem& item, int expected, float accuracy, float timing, float bpm, int faults) {
  int allowance = std::max(2, (int)std::lround(expected * 0.05));
  return expected > 0 && accuracy + kScoreSlack >= item.target_accuracy && timing + kScoreSlack >= item.target_timing &&
         bpm + kTempoSlack >= item.authored_bpm && faults <= allowance;
}

// ---- recording an attempt ----
int RecordAttempt(const PracticeRunResult& run) {
  if (gPracticeItemId.empty()) return -1;
  if (!gPracticeStudentKey.empty() && gPracticeStudentKey != StudentFileKey()) return -1;
  const LibraryItem* found = FindLibraryItem(gPracticeItemId);
  if (!found) return -1;
  const LibraryItem item = *found;   // the saves below may re-sort the library

  float a = run.expected > 0 ? std::clamp((float)run.landed / (float)run.expected, 0.0f, 1.0f) : 0.0f;
  float t = std::isfinite(run.timing_score) ? std::clamp(run.timing_score, 0.0f, 1.0f) : 0.0f;
  float b = std::max(RunSlowestSpeed(), 0.01f) * (float)item.authored_bpm;
  int64_t faults = (int64_t)run.missed + run.hold_breaks + run.wrong_attempts;
  bool pass = IsDailyPass(item, run.expected, a, t, b, (int)std::min<int64_t>(faults, INT32_MAX));
  std::string today = TodayIsoDate();

  MasteryRecord& r = gMasteryRecords[item.id];
  if (r.placed_by_source) {
    r.placed_by_source = false;
    r.best_accuracy = r.best_timing = r.best_bpm = 0;
  }
  StoreLatest(r, run, a, t, b, pass, today);
  gLastRecordedItemId = gPracticeItemId;
  r.best_accuracy = std::max(r.best_accuracy, a);
  r.best_timing = std::max(r.best_timing, t);
  if (pass) {
    r.passes = SaturatingIncrement(r.passes);
    r.best_bpm = std::max(r.best_bpm, b);
    // Only a later day counts: with the clock set back, a pass on an earlier date could not be
    // told from one already counted, and mastery would come from the same days twice.
    if (r.last_pass_date.empty() || today > r.last_pass_date) {
      r.distinct_pass_days = SaturatingIncrement(r.distinct_pass_days);
      r.last_pass_date = today;
    }
  }
  const MasteryRecord record = r;
  const unsigned saveFailures = UiSaveFailures();
  SaveMastery();

  std::string dayKey = gPracticeItemDay.empty() ? gCurrentLearningDay : gPracticeItemDay;
  bool practised = pass || (run.expected >= 1 && 5ll * run.landed >= 3ll * run.expected);
  bool newlyComplete = false;
  auto day = gLearningCalendar.find(dayKey);
  if (practised && day != gLearningCalendar.end() && ContainsId(day->second.assigned, item.id)) {
    newlyComplete = day->second.complete.insert(item.id).second;
    DropUnplayableBlocksOfDoneDay(dayKey);
    SaveCalendar();
  }
  bool mastered = IsItemMastered(item);
  bool newInProgress = mastered && gCompletedItems.insert(item.id).second;
  if (newInProgress || newlyComplete) SaveProgress();
  RebuildSchedule();
  gOpenSyllabusCount = -1;
  // A failed save keeps its message: the verdict would hide that this attempt may not be kept.
  if (UiSaveFailures() == saveFailures) gStatusText = Verdict(item, record, run, t, pass, mastered);
  if (!gPracticeSetActive) RequestPerformanceNote(gPracticeItemId);
  return pass ? 1 : 0;
}

void RequestPerformanceNote(const std::string& itemId) {
  if (gPerformanceNoteOpener) gPerformanceNoteOpener(itemId);
}

// ---- scale credit ----
int CreditScaleAchievement(const char* scaleName, int ringPos) {
  if (!scaleName || ringPos < 0 || ringPos > 11) return 0;
  for (const auto& credit : kScaleCredits)
    if (std::string(scaleName) == credit.scale) return MarkScaleItemsMastered(credit.type, kKeyNamesByRing[ringPos]);
  return 0;
}

int MarkScaleItemsMastered(const std::string& type, const std::string& keyName) {
  EnsureLibraryLoaded();
  std::string today = TodayIsoDate();
  int count = 0;
  for (const LibraryItem& item : gLibraryItems) {
    if (item.category != "scales" || item.type != type || item.key_name != keyName) continue;
    bool before = IsItemMastered(item);
    MasteryRecord& r = gMasteryRecords[item.id];
    r.attempts = std::max(r.attempts, 1);
    r.passes = std::max(r.passes, 1);
    r.distinct_pass_days = std::max(r.distinct_pass_days, kMasteryDays);
    for (float* v : {&r.best_accuracy, &r.best_timing, &r.latest_accuracy, &r.latest_timing}) *v = std::max(*v, 1.0f);
    r.best_bpm = std::max(r.best_bpm, (float)item.target_bpm);
    r.latest_bpm = std::max(r.latest_bpm, (float)item.target_bpm);
    r.latest_passed = true;
    if (r.last_attempt_date.empty()) r.last_attempt_date = today;
    gCompletedItems.insert(item.id);
    if (!before) ++count;
  }
  if (count >= 1) {
    SaveMastery();
    SaveProgress();
    RebuildSchedule();
    gOpenSyllabusCount = -1;
  }
  return count;
}

// ---- the run reset ----
void ResetLearningRun() {
  gPracticeItemId.clear();
  gRhythmStudyMode = false;
  // A plain song after a sight-reading item must not keep the sight-reading drawing.
  gSightReadingMode = false;
  ResetSightScore();
  if (!gLoadingPracticeCard) ClearPracticeSet();
}
