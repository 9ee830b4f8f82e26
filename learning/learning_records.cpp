// learning/learning_records: the in-memory learning state and the byte layout of its files.
//
// Section index: constants, state, internal helpers, progress, mastery, schedule, calendar,
// practice load.
#include "learning/learning_records.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <deque>
#include <iterator>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "learning/id_hash.h"
#include "learning/library_index.h"
#include "learning/number_fields.h"

// ---- constants ----
static const char* const kMasteryHeader[42] = {
    "id", "attempts", "passes", "distinct_pass_days", "best_accuracy", "best_timing", "best_bpm",
    "last_pass_date", "latest_accuracy", "latest_timing", "latest_bpm", "last_attempt_date",
    "latest_expected", "latest_landed", "latest_perfect", "latest_good", "latest_late_or_early",
    "latest_missed", "latest_hold_breaks", "latest_wrong_attempts", "latest_early", "latest_late",
    "latest_mean_abs_timing_ms", "latest_mean_signed_timing_ms", "latest_passed",
    "latest_vel_samples", "latest_mean_velocity", "latest_timing_std_ms", "latest_vel_stdev",
    "placed_by_source", "legacy_targets", "latest_dynamics_state", "latest_dynamics",
    "latest_rhythm_state", "latest_rhythm", "latest_articulation_state", "latest_articulation",
    "latest_pedal_state", "latest_pedal", "latest_intervals_state", "latest_intervals",
    "latest_intervals_weakest"};
// The row widths of the mastery layouts, oldest first: a row of another width holds columns the
// reader passes over.
static const size_t kMasteryRowWidths[] = {8, 12, 25, 27, 29, 30, 31, 33, 42};
// Calendar lesson numbers stay far enough from the int range that the repair's "M + 1" is safe.
static const int32_t kMaxCalendarLesson = 1000000;

// ---- state ----
std::unordered_map<std::string, MasteryRecord, IdHash> gMasteryRecords;   // by item id
std::unordered_set<std::string, IdHash> gCompletedItems;                  // the progress set
std::string gScheduleDate;                                                // the schedule's day
std::unordered_set<std::string, IdHash> gScheduleItems;                   // the schedule's ids
std::map<std::string, CalendarDay> gLearningCalendar;                     // days by date
std::string gCalendarPlanId;                                              // "PLAN" line
int32_t gPracticeLoad = 1;                                                // 0..3
bool gLearningFilesLoaded = false;                                        // see the header
std::string gLoadedStudentKey;                                            // see the header

// ---- internal helpers ----
// A value beyond float (a damaged "1e39") is kept as the largest float, never written as "inf",
// which would read back as 0.
static float FiniteFloat(double value) {
  if (std::isnan(value)) return 0.0f;
  return (float)std::clamp(value, -(double)FLT_MAX, (double)FLT_MAX);
}

static std::string Fixed(float value, int decimals) {
  value = FiniteFloat(value);
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return "0";
  return std::string(buffer, result.ptr);
}

template <class Set>
static std::vector<std::string> Sorted(const Set& set) {
  std::vector<std::string> ids(set.begin(), set.end());
  std::sort(ids.begin(), ids.end());
  return ids;
}

static int32_t NonNegativeInt(const std::string& field) { return std::max(0, AtoiField(field)); }
static float NonNegativeFloat(const std::string& field) { return FiniteFloat(std::max(0.0, AtofField(field))); }
static int32_t FeedbackState(const std::string& field) {
  int32_t state = AtoiField(field);
  return state >= 0 && state <= 4 ? state : 0;
}
static bool Flag(const std::string& field) { return AtoiField(field) != 0; }

// Every column of a mastery row is read: its width is one of a layout and each number column
// holds a number and nothing more (the two dates are text).
static bool IsWholeMasteryRow(const std::vector<std::string>& c) {
  if (std::find(std::begin(kMasteryRowWidths), std::end(kMasteryRowWidths), c.size()) == std::end(kMasteryRowWidths))
    return false;
  for (size_t i = 1; i < c.size(); ++i)
    if (i != 7 && i != 11 && !IsWholeNumberField(c[i])) return false;
  return true;
}

// "KEYWORD\t" at the start of a line longer than the keyword and its TAB by at least minRest.
static bool Keyword(const std::string& line, const char* keyword, size_t minLength, std::string* rest) {
  std::string prefix = std::string(keyword) + "\t";
  if (line.size() < minLength || line.compare(0, prefix.size(), prefix) != 0) return false;
  *rest = line.substr(prefix.size());
  return true;
}

// ---- public functions: records ----
float ParseUnitColumn(const std::vector<std::string>& columns, size_t index) {
  return index < columns.size() ? AtofClamped(columns[index], 0.0f, 1.0f) : 0.0f;
}

// ---- progress ----
std::string ProgressFileText() {
  std::string text;
  for (const std::string& id : Sorted(gCompletedItems)) text += id + "\n";
  return text;
}

int ReadProgressLines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines)
    if (!line.empty()) gCompletedItems.insert(line);
  return 0;
}

// ---- mastery ----
std::string MasteryFileText() {
  std::string text;
  for (int i = 0; i < 42; ++i) text += std::string(i ? "\t" : "") + kMasteryHeader[i];
  text += "\n";
  std::vector<std::string> ids;
  for (const auto& entry : gMasteryRecords) ids.push_back(entry.first);
  std::sort(ids.begin(), ids.end());
  for (const std::string& id : ids) {
    const MasteryRecord& r = gMasteryRecords.at(id);
    auto I = [](int32_t v) { return std::to_string(v); };
    auto F = [](float v) { return Fixed(v, 3); };
    auto U = [](float v) { return Fixed(v, 6); };
    const std::string fields[42] = {
        id, I(r.attempts), I(r.passes), I(r.distinct_pass_days), F(r.best_accuracy), F(r.best_timing),
        F(r.best_bpm), r.last_pass_date, F(r.latest_accuracy), F(r.latest_timing), F(r.latest_bpm),
        r.last_attempt_date, I(r.latest_expected), I(r.latest_landed), I(r.latest_perfect),
        I(r.latest_good), I(r.latest_late_or_early), I(r.latest_missed), I(r.latest_hold_breaks),
        I(r.latest_wrong_attempts), I(r.latest_early), I(r.latest_late), F(r.latest_mean_abs_timing_ms),
        F(r.latest_mean_signed_timing_ms), I(r.latest_passed), I(r.latest_vel_samples),
        F(r.latest_mean_velocity), F(r.latest_timing_std_ms), F(r.latest_vel_stdev),
        I(r.placed_by_source), I(r.legacy_targets), I(r.latest_dynamics_state), U(r.latest_dynamics),
        I(r.latest_rhythm_state), U(r.latest_rhythm), I(r.latest_articulation_state),
        U(r.latest_articulation), I(r.latest_pedal_state), U(r.latest_pedal),
        I(r.latest_intervals_state), U(r.latest_intervals), I(r.latest_intervals_weakest)};
    for (int i = 0; i < 42; ++i) text += (i ? "\t" : "") + fields[i];
    text += "\n";
  }
  return text;
}

int ReadMasteryLines(const std::vector<std::string>& lines) {
  int skipped = 0;
  for (const std::string& line : lines) {
    if (line.empty() || line.rfind("id\t", 0) == 0) continue;
    std::vector<std::string> c = SplitTabs(line);
    size_t n = c.size();
    if (n < 8 || c[0].empty()) {
      ++skipped;
      continue;
    }
    if (!IsWholeMasteryRow(c)) ++skipped;
    MasteryRecord r;
    r.attempts = NonNegativeInt(c[1]);
    r.passes = NonNegativeInt(c[2]);
    r.distinct_pass_days = NonNegativeInt(c[3]);
    r.best_accuracy = ParseUnitColumn(c, 4);
    r.best_timing = ParseUnitColumn(c, 5);
    r.best_bpm = NonNegativeFloat(c[6]);
    r.last_pass_date = c[7];
    if (n < 12) {
      r.latest_accuracy = r.best_accuracy;
      r.latest_timing = r.best_timing;
      r.latest_bpm = r.best_bpm;
      r.last_attempt_date = r.last_pass_date;
    } else {
      r.latest_accuracy = ParseUnitColumn(c, 8);
      r.latest_timing = ParseUnitColumn(c, 9);
      r.latest_bpm = NonNegativeFloat(c[10]);
      r.last_attempt_date = c[11];
    }
    if (n >= 25) {
      int32_t* counts[10] = {&r.latest_expected, &r.latest_landed, &r.latest_perfect, &r.latest_good,
                             &r.latest_late_or_early, &r.latest_missed, &r.latest_hold_breaks,
                             &r.latest_wrong_attempts, &r.latest_early, &r.latest_late};
      for (int i = 0; i < 10; ++i) *counts[i] = NonNegativeInt(c[12 + i]);
      r.latest_mean_abs_timing_ms = NonNegativeFloat(c[22]);
      r.latest_mean_signed_timing_ms = FiniteFloat(AtofField(c[23]));
      r.latest_passed = Flag(c[24]);
    }
    if (n >= 27) {
      r.latest_vel_samples = NonNegativeInt(c[25]);
      r.latest_mean_velocity = AtofClamped(c[26], 0.0f, 127.0f);
    }
    if (n >= 29) {
      r.latest_timing_std_ms = NonNegativeFloat(c[27]);
      r.latest_vel_stdev = NonNegativeFloat(c[28]);
    }
    if (n >= 30) r.placed_by_source = Flag(c[29]);
    r.legacy_targets = n < 31 ? true : Flag(c[30]);
    if (n >= 33) {
      r.latest_dynamics_state = FeedbackState(c[31]);
      r.latest_dynamics = ParseUnitColumn(c, 32);
    }
    if (n >= 42) {
      r.latest_rhythm_state = FeedbackState(c[33]);
      r.latest_rhythm = ParseUnitColumn(c, 34);
      r.latest_articulation_state = FeedbackState(c[35]);
      r.latest_articulation = ParseUnitColumn(c, 36);
      r.latest_pedal_state = FeedbackState(c[37]);
      r.latest_pedal = ParseUnitColumn(c, 38);
      r.latest_intervals_state = FeedbackState(c[39]);
      r.latest_intervals = ParseUnitColumn(c, 40);
      r.latest_intervals_weakest = std::clamp(AtoiField(c[41]), 0, 7);
    }
    gMasteryRecords[c[0]] = r;
  }
  return skipped;
}

// ---- schedule ----
std::string ScheduleFileText() {
  std::string text = gScheduleDate + "\n";
  for (const std::string& id : Sorted(gScheduleItems)) text += id + "\n";
  return text;
}

int ReadScheduleLines(const std::vector<std::string>& lines) {
  if (lines.empty()) return 0;
  gScheduleDate = lines[0];
  for (size_t i = 1; i < lines.size(); ++i)
    if (!lines[i].empty()) gScheduleItems.insert(lines[i]);
  return 0;
}

// ---- calendar ----
std::string CalendarFileText() {
  std::string text = "PLAN\t" + gCalendarPlanId + "\n";
  for (const auto& [date, day] : gLearningCalendar) {
    text += "DATE\t" + date + "\n";
    text += "LESSON\t" + std::to_string(day.lesson) + "\n";
    for (const std::string& id : day.assigned) text += "ASSIGNED\t" + id + "\n";
    for (const std::string& id : Sorted(day.complete)) text += "COMPLETE\t" + id + "\n";
    text += "END\n";
  }
  return text;
}

int ReadCalendarLines(const std::vector<std::string>& lines) {
  int skipped = 0;
  std::string current;
  std::string rest;
  // The ids already assigned per day, so a long day is read in linear time: views into the lines,
  // or into copies of what the calendar held before (a date may also stand in two records).
  std::unordered_map<std::string, std::unordered_set<std::string_view, IdHash>, IdHash> assignedSeen;
  std::deque<std::string> heldBefore;
  for (const std::string& line : lines) {
    if (Keyword(line, "PLAN", 5, &rest)) {
      gCalendarPlanId = rest;
    } else if (Keyword(line, "DATE", 5, &rest) && !rest.empty()) {
      current = rest;
      gLearningCalendar[current];
    } else if (!current.empty() && Keyword(line, "LESSON", 7, &rest)) {
      if (!IsWholeNumberField(rest)) ++skipped;
      gLearningCalendar[current].lesson = std::clamp(AtoiField(rest), 0, kMaxCalendarLesson);
    } else if (!current.empty() && Keyword(line, "ASSIGNED", 9, &rest)) {
      std::vector<std::string>& assigned = gLearningCalendar[current].assigned;
      auto [seen, fresh] = assignedSeen.try_emplace(current);
      if (fresh)
        for (const std::string& id : assigned) seen->second.insert(heldBefore.emplace_back(id));
      if (!rest.empty() && seen->second.insert(std::string_view(line).substr(line.size() - rest.size())).second)
        assigned.push_back(rest);
    } else if (!current.empty() && Keyword(line, "COMPLETE", 9, &rest)) {
      if (!rest.empty()) gLearningCalendar[current].complete.insert(rest);
    } else if (line == "END") {
      current.clear();
    } else if (!line.empty()) {
      ++skipped;
    }
  }
  // Days without a lesson number are numbered after the highest one, in date order.
  int32_t highest = 0;
  for (const auto& entry : gLearningCalendar) highest = std::max(highest, entry.second.lesson);
  for (auto& entry : gLearningCalendar)
    if (entry.second.lesson < 1) entry.second.lesson = highest = std::min(highest + 1, kMaxCalendarLesson);
  return skipped;
}

// ---- practice load ----
int ReadPracticeLoadLines(const std::vector<std::string>& lines) {
  if (!lines.empty() && !lines[0].empty()) gPracticeLoad = std::clamp(AtoiField(lines[0]), 0, 3);
  return 0;
}
