// learning/schedule: calendar days, NEXT LESSON, re-planning, rebuilds and the day rollover.
//
// Section index: state, internal helpers, days, re-planning, rebuild, rollover.
#include "learning/schedule.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "app/base/status_text.h"
#include "board/grid_interaction.h"
#include "gfx/translate.h"
#include "learning/attempt_rules.h"
#include "learning/daily_blocks.h"
#include "learning/id_hash.h"
#include "learning/iso_dates.h"
#include "learning/learning_files.h"
#include "learning/learning_records.h"
#include "learning/lessons.h"
#include "learning/library_index.h"
#include "learning/library_view_state.h"
#include "learning/library_browser.h"
#include "learning/practice_set.h"
#include "midi/midi_input.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/clock.h"
#include "practice/students.h"

// ---- constants ----
static const uint32_t kRolloverCheckMs = 1000;   // at most one date check per second

// ---- state ----
std::string gCurrentLearningDay;        // see the header
std::string gViewingPlannedDay;
std::vector<std::string> gDayItemIds;
int gPlannedLessonNumber = 0;
int gPlannedTitleLesson = 0;
static bool gRolloverChecked = false;   // a check has run (0 is a valid clock value)
static uint32_t gRolloverCheckMs = 0;   // ClockMs32 of the last check
static std::string gRolloverDate;       // the last date the check saw

// ---- internal helpers ----
// Keys that are not real dates (a damaged file) are kept and saved but never planned.
static bool IsPlannableDay(const std::string& date) { return IsWellFormedIsoDate(date); }

// The completed blocks of the old list that a new list keeps: placed completions are dropped.
static void KeepCompleted(const CalendarDay& day, const std::vector<std::string>& oldList, std::vector<std::string>& list) {
  for (const std::string& id : oldList) {
    if (!day.complete.count(id) || ContainsId(list, id)) continue;
    auto r = gMasteryRecords.find(id);
    if (r == gMasteryRecords.end() || !r->second.placed_by_source) list.push_back(id);
  }
}

static void KeepCompletionsOf(CalendarDay& day, const std::vector<std::string>& list) {
  for (auto it = day.complete.begin(); it != day.complete.end();)
    it = ContainsId(list, *it) ? std::next(it) : day.complete.erase(it);
}

static void ShowIds(const std::vector<std::string>& ids) {
  gDayItemSet.clear();
  gDayItemIds.clear();
  for (const std::string& id : ids) {
    if (gDayItemSet.insert(id).second) gDayItemIds.push_back(id);
  }
}

// ---- days ----
void OpenCalendarDay(const std::string& date) {
  auto day = gLearningCalendar.find(date);
  if (day == gLearningCalendar.end() || day->second.assigned.empty()) return;
  gViewingPlannedDay.clear();
  gPlannedLessonNumber = 0;
  gCurrentLearningDay = date;
  gScheduleItems.clear();
  gDayItemSet.clear();
  gDayItemIds.clear();
  for (const std::string& id : day->second.assigned) {
    if (!IsKnownItemId(id)) continue;
    gScheduleItems.insert(id);
    if (gDayItemSet.insert(id).second) gDayItemIds.push_back(id);
  }
  std::tm t;
  if (ParseIsoDate(date, &t)) {
    gLearningCalendarYear = t.tm_year + 1900;
    gLearningCalendarMonth = t.tm_mon + 1;
  }
}

void SelectCalendarDay(const std::string& date) {
  std::string today = TodayIsoDate();
  if (date == today) return;
  int d = DaysBetweenIsoDates(today, date);
  gViewingPlannedDay = date;
  gCurrentLearningDay = date;
  std::vector<std::string> ids;
  if (d > 0) {
    int lesson = 0;
    ids = PlanDayAhead(d, &lesson);
    int64_t planned = (int64_t)d + NextLessonNumber();
    // Counted from today's lesson, as the preview's blocks are: a day done today already moved
    // the next lesson on.
    auto held = gLearningCalendar.find(today);
    if (held != gLearningCalendar.end() && held->second.lesson > 0 && AreItemsDone(held->second)) --planned;
    gPlannedLessonNumber = (int)std::min<int64_t>(planned, INT32_MAX);
    gPlannedTitleLesson = lesson;
  } else {
    int64_t n = (int64_t)NextLessonNumber() + d;
    n = std::clamp<int64_t>(n, 1, std::max(LastLessonNumber(), 1));
    ids = KnownLessonItemIds((int)n);
    gPlannedLessonNumber = gPlannedTitleLesson = (int)n;
  }
  ShowIds(ids);
}

bool IsPreviewedDayPast() {
  // Asked at each use, not at the click: a preview stays open over midnight.
  return !gViewingPlannedDay.empty() && gViewingPlannedDay < TodayIsoDate();
}

bool IsCurrentDayComplete() {
  auto day = gLearningCalendar.find(gCurrentLearningDay);
  return day != gLearningCalendar.end() && AreItemsDone(day->second);
}

void PrepareNextLesson() {
  std::string base = gCurrentLearningDay.empty() ? TodayIsoDate() : gCurrentLearningDay;
  std::string next = AddDaysIsoDate(base, 1);
  if (gLearningCalendar.count(next)) {
    RefreshDayIfOpen(next);
  } else {
    FillCalendarDay(next);
    SaveCalendar();
  }
  OpenCalendarDay(next);
  gLibraryViewKey = "today";
  gLibraryScroll = 0.0f;
  SortLibraryItems();
  gStatusText = "Next lesson ready";
  auto day = gLearningCalendar.find(next);
  if (day != gLearningCalendar.end())
    if (const Lesson* lesson = FindLesson(day->second.lesson))
      gStatusText = TrF("Lesson %d ready - %s", day->second.lesson, Tr(lesson->title).c_str());
}

void AssignDayBlocks(const std::string& date) {
  auto found = gLearningCalendar.find(date);
  if (date.empty() || found == gLearningCalendar.end()) return;
  CalendarDay& day = found->second;
  if (day.lesson < 1) day.lesson = NextLessonNumber();
  std::vector<std::string> list = BuildLessonBlocks(date);
  KeepCompleted(day, day.assigned, list);
  std::stable_sort(list.begin(), list.end(), ItemIdLess);
  day.assigned = list;
  KeepCompletionsOf(day, list);
  SaveCalendar();
  OpenCalendarDay(date);
  SortLibraryItems();
}

void RefreshDayIfOpen(const std::string& date) {
  if (date.empty() || date <= TodayIsoDate() || !IsPlannableDay(date)) return;
  auto day = gLearningCalendar.find(date);
  if (day != gLearningCalendar.end() && !day->second.assigned.empty() && !AreItemsDone(day->second))
    AssignDayBlocks(date);
}

// ---- re-planning ----
void ReplanFutureDays() {
  gOpenSyllabusCount = -1;
  std::string today = TodayIsoDate();
  const bool previewing = !gViewingPlannedDay.empty();
  const std::string open = gCurrentLearningDay;
  // The open day follows the load. An earlier day's blocks are its history: today follows the
  // load then, and that day stays as it was, and open. A later day (opened by NEXT LESSON) leaves
  // today alone, however finished it is: planned afresh, a day done would be undone.
  // The days after it leave that day as planned: a look-ahead slice has no reviews.
  std::string planned;
  if (!previewing) {
    planned = open.empty() || open < today ? today : open;
    AssignDayBlocks(planned);
    if (!open.empty() && open != planned) OpenCalendarDay(open);
  }
  bool replaced = false;
  for (auto& [date, day] : gLearningCalendar) {
    if (date <= today || date == planned || !IsPlannableDay(date) || day.assigned.empty() || AreItemsDone(day))
      continue;
    std::vector<std::string> list = PlanDayAhead(DaysBetweenIsoDates(today, date), nullptr);
    if (list.empty()) continue;
    KeepCompleted(day, day.assigned, list);
    day.assigned = list;
    KeepCompletionsOf(day, list);
    replaced = true;
  }
  if (replaced) SaveCalendar();
}

// ---- rebuild ----
std::string PlanSignatureText() {
  LoadLessonPlan();
  std::string text;
  for (const auto& [number, lesson] : gLessonPlan) {
    text += std::to_string(number) + ":" + lesson.title + ":" + std::to_string(lesson.count);
    for (const std::string& id : lesson.ids) text += "|" + id;
    text += "\n";
  }
  return text;
}

std::string PlanIdentifier() {
  std::string text = PlanSignatureText();
  if (text.empty()) return "";
  uint64_t h = 0x14650fb0739d0383ull;
  for (unsigned char c : text) {
    h ^= c;
    h *= 0x100000001b3ull;
  }
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%" PRIX64, h);
  return buffer;
}

void RebuildSchedule() {
  UnlockTypes();
  std::string today = TodayIsoDate();
  LoadLessonPlan();
  std::string plan = PlanIdentifier();
  if (!plan.empty() && plan != gCalendarPlanId) {
    // The plan changed since the calendar was made (a new library): untouched days from today on
    // follow it. A later day, prepared with NEXT LESSON, takes its share of what is still to learn in
    // the new order, as a new load gives it: its lesson's bare list would skip what the new plan
    // moved earlier and teach again what was passed. With nothing left for it, it keeps its list.
    for (auto& [date, day] : gLearningCalendar) {
      if (date < today || !IsPlannableDay(date) || !day.complete.empty() || day.lesson < 1) continue;
      std::vector<std::string> list =
          date == today ? BuildLessonBlocks(date) : PlanDayAhead(DaysBetweenIsoDates(today, date), nullptr);
      if (date != today && list.empty()) continue;
      if (list != day.assigned) day.assigned = list;
    }
    gCalendarPlanId = plan;
    SaveCalendar();
  }
  auto held = gLearningCalendar.find(today);
  if (held == gLearningCalendar.end()) {
    // A set played over midnight still credits the day it began on: the new day is made when the
    // rollover takes the date, from what the set finished, not from a block half way through it.
    const bool turnPending = !gRolloverDate.empty() && gRolloverDate != today;
    if (!(gPracticeSetActive && turnPending)) FillCalendarDay(today);
  } else if (held->second.complete.empty()) {
    // A day made before its date came (over midnight, or under a clock set ahead) holds what was
    // still to learn then. Untouched, it holds nothing earned, so it follows what was passed since.
    const std::vector<std::string> before = held->second.assigned;
    FillCalendarDay(today);
    if (held->second.assigned != before) SaveCalendar();
  }
  if (!gViewingPlannedDay.empty()) return;
  if (gCurrentLearningDay.empty() || !gLearningCalendar.count(gCurrentLearningDay)) gCurrentLearningDay = today;
  gScheduleDate = today;
  OpenCalendarDay(gCurrentLearningDay);
  if (gCurrentLearningDay == today) SaveSchedule();
}

// ---- rollover ----
void CheckDayRollover() {
  TakeSaveFailureStatus();
  if (!gLibraryLoaded) return;
  uint32_t now = ClockMs32();
  if (gRolloverChecked && (int32_t)(now - gRolloverCheckMs) < (int32_t)kRolloverCheckMs) return;
  gRolloverChecked = true;
  gRolloverCheckMs = now;
  std::string today = TodayIsoDate();
  if (gRolloverDate.empty()) {
    gRolloverDate = today;
    return;
  }
  if (today == gRolloverDate) return;
  if (gPracticeSetActive) return;   // the day turns once the set has ended
  bool follows = gViewingPlannedDay.empty() && gCurrentLearningDay == gRolloverDate;
  gRolloverDate = today;
  if (follows) gCurrentLearningDay = today;
  RebuildSchedule();
  SortLibraryItems();
}

void ResetSchedule() {
  gCurrentLearningDay.clear();
  gViewingPlannedDay.clear();
  gDayItemIds.clear();
  gDayItemSet.clear();
  gUnlockedTypeKeys.clear();
  gPlannedLessonNumber = 0;
  gPlannedTitleLesson = 0;
  gRolloverChecked = false;
  gRolloverCheckMs = 0;
  gRolloverDate.clear();
  gOpenSyllabusCount = -1;
}
