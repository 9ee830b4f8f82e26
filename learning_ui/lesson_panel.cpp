// learning_ui/lesson_panel: the daily lesson's rows, rectangles and clicks.
#include "learning_ui/lesson_panel.h"

#include <algorithm>

#include "app/base/status_text.h"
#include "gfx/translate.h"
#include "learning/attempt_rules.h"
#include "learning/daily_blocks.h"
#include "learning/iso_dates.h"
#include "learning/lessons.h"
#include "learning/library_browser.h"
#include "learning/library_view_state.h"
#include "learning/practice_set.h"
#include "learning/schedule.h"
#include "learning_ui/learning_views.h"
#include "learning_ui/performance_note.h"
#include "practice/students.h"

// ---- constants ----
static const float kRowPitch = 120.0f;
static const float kRowHeight = 110.0f;
static const float kListTop = 30.0f;          // first row below the content's top
static const float kButtonBand = 72.0f;       // the bottom of the content belongs to the button
static const float kSetAsideGap = 16.0f;      // between the last row and the set-aside heading
static const float kSetAsidePitch = 74.0f;
static const float kSetAsideRowHeight = 64.0f;

// ---- state ----
bool gLessonAutoScrollDone = false;   // see the header

// ---- internal helpers ----
static bool Inside(const RectF& r, int x, int y) { return PointInRect(r, x, y); }

// A row is hit only where the list shows it, above the button band.
static bool InList(const LearningLayout& l, int y) { return y >= l.contentY && y <= l.contentY + LessonListHeight(l); }

static void OpenSet(const std::vector<std::string>& ids) { StartDailyPracticeSet(ids); }

// The library is there with a plan that lists its items.
static bool HasLibrary() { return gLibraryLoaded && !gLibraryItems.empty() && PlanHasLibraryItems(); }

// ---- public functions ----
void ResetLessonPanel() { gLessonAutoScrollDone = false; }

// ---- the model ----
std::vector<const LibraryItem*> DayBlockItems() {
  std::vector<const LibraryItem*> items;
  for (const std::string& id : gDayItemIds) {
    const LibraryItem* item = FindLibraryItem(id);
    if (item && ItemMatchesFilters(*item)) items.push_back(item);
  }
  return items;
}

std::string BlockKindLabel(const std::string& category) {
  if (category == "mechanics") return Tr("Warm-up");
  if (category == "scales" || category == "chords") return Tr("New skill");
  if (category == "sight") return Tr("Read");
  if (category == "etude") return Tr("Study");
  return Tr("Play");
}

LessonDayView BuildLessonDayView() {
  LessonDayView view;
  view.planned = !gViewingPlannedDay.empty();
  for (const LibraryItem* item : DayBlockItems()) {
    LessonBlockRow row{item, IsItemDoneToday(*item), IsItemUnlocked(*item)};
    int index = (int)view.rows.size();
    if (row.done) ++view.doneCount;
    if (!view.planned && !row.done && row.unlocked) {
      if (view.firstOpen < 0)
        view.firstOpen = index;
      else if (view.secondOpen < 0)
        view.secondOpen = index;
    }
    view.rows.push_back(row);
  }
  return view;
}

const char* LessonEmptyText(bool* warning) {
  *warning = !HasLibrary();
  if (*warning)
    return gLibraryIndexUnreadable ? "Lesson library index could not be read - reinstall to restore MIDI/Library"
                                   : "Lesson library not found - reinstall to restore MIDI/Library";
  if (gActiveStudentIndex >= 0 && gActiveStudentIndex < (int)gStudents.size())
    return "No blocks scheduled for this day.";
  return "Add a student to get a daily lesson.";
}

const char* LessonBlockTag(const LessonDayView& view, int row) {
  const LessonBlockRow& r = view.rows[(size_t)row];
  if (view.planned || !r.unlocked) return "Locked";
  if (r.done) {
    if (IsItemMastered(*r.item)) return "Mastered";
    if (IsItemComplete(*r.item)) return "Complete";
    const std::string day = gCurrentLearningDay.empty() ? TodayIsoDate() : gCurrentLearningDay;
    return IsItemPassedOnDate(r.item->id, day) ? "Passed" : "Practiced";
  }
  if (row == view.firstOpen) return "Start";
  if (row == view.secondOpen) return "Up next";
  return "Remaining";
}

std::string LessonButtonLabel(const LessonDayView& view) {
  if (view.doneCount == 0) return Tr("START LESSON");
  return TrF("CONTINUE - BLOCK %d", view.firstOpen + 1);
}

std::vector<std::string> LessonSetFromButton(const LessonDayView& view) {
  std::vector<std::string> ids;
  for (const LessonBlockRow& r : view.rows)
    if (!r.done && r.unlocked) ids.push_back(r.item->id);
  return ids;
}

std::vector<std::string> LessonSetFromRow(const LessonDayView& view, int row) {
  const std::string& clicked = view.rows[(size_t)row].item->id;
  std::vector<std::string> ids{clicked};
  const int n = (int)view.rows.size();
  for (int i = row + 1; i < n; ++i)
    if (!view.rows[(size_t)i].done && view.rows[(size_t)i].unlocked) ids.push_back(view.rows[(size_t)i].item->id);
  for (int i = 0; i < row; ++i) {
    const LessonBlockRow& r = view.rows[(size_t)i];
    if (!r.done && r.unlocked && r.item->id != clicked) ids.push_back(r.item->id);
  }
  return ids;
}

void AutoScrollToFirstOpenBlock(const LearningLayout& l, const LessonDayView& view) {
  if (view.planned || view.firstOpen <= 0 || gLessonAutoScrollDone) return;
  gLessonAutoScrollDone = true;
  const float most = std::max(0.0f, view.rows.size() * kRowPitch + kListTop - LessonListHeight(l));
  gLibraryScroll = std::clamp(view.firstOpen * kRowPitch - 60.0f, 0.0f, most);
}

// ---- geometry ----
float LessonListHeight(const LearningLayout& l) { return std::max(l.contentH - kButtonBand, 60.0f); }

RectF LessonRowRect(const LearningLayout& l, int row) {
  return {l.contentX, l.contentY - gLibraryScroll + kListTop + kRowPitch * row, l.contentW, kRowHeight};
}

RectF LessonRowBadgeRect(const RectF& row) { return {row.x + row.w - 104.0f, row.y + 75.0f, 86.0f, 22.0f}; }

RectF LessonButtonRect(const LearningLayout& l) {
  return {l.contentX, l.contentY + l.contentH - 56.0f, std::min(320.0f, l.contentW), 40.0f};
}

float SetAsideTop(const LearningLayout& l, int blockRows) {
  return l.contentY - gLibraryScroll + kListTop + kRowPitch * (blockRows - 1) + kRowHeight + kSetAsideGap;
}

RectF SetAsideRowRect(const LearningLayout& l, int blockRows, int item) {
  return {l.contentX, SetAsideTop(l, blockRows) + 34.0f + kSetAsidePitch * item, l.contentW, kSetAsideRowHeight};
}

bool ShowsSetAside(const LessonDayView& view) { return !view.rows.empty() && !view.planned && HasSetAsideItems(); }

// ---- the panel's entry points ----
std::vector<std::string> LessonPanelRowSections() {
  std::vector<std::string> labels;
  for (const LibraryItem* item : DayBlockItems()) labels.push_back(CategoryTabLabel(item->category));
  return labels;
}

bool HandleLessonPanelClick(const LearningLayout& l, int x, int y) {
  if (y < l.contentY || y > l.contentY + l.contentH) return false;
  const LessonDayView view = BuildLessonDayView();
  if (!view.planned && view.firstOpen >= 0 && Inside(LessonButtonRect(l), x, y)) {
    OpenSet(LessonSetFromButton(view));
    return true;
  }
  if (!InList(l, y)) return false;
  for (int i = 0; i < (int)view.rows.size(); ++i) {
    RectF row = LessonRowRect(l, i);
    if (!Inside(row, x, y)) continue;
    const LibraryItem& item = *view.rows[(size_t)i].item;
    if (!item.id.empty() && Inside(LessonRowBadgeRect(row), x, y)) {
      OpenPerformanceNote(std::string(item.id));
    } else if (view.planned) {
      gStatusText = IsPreviewedDayPast() ? Tr("Planned lesson - locked preview")
                                         : TrF("Planned lesson - locked until %s", gViewingPlannedDay.c_str());
    } else if (!view.rows[(size_t)i].unlocked) {
      gStatusText = Tr("Locked - finish the previous section first");
    } else {
      OpenSet(LessonSetFromRow(view, i));
    }
    return true;
  }
  if (!ShowsSetAside(view)) return false;
  const std::vector<std::string> aside = ListSetAsideItems();
  for (int j = 0; j < (int)aside.size(); ++j) {
    if (!Inside(SetAsideRowRect(l, (int)view.rows.size(), j), x, y)) continue;
    OpenSet({aside[(size_t)j]});
    return true;
  }
  return false;
}
