// learning_ui/lesson_panel: the daily lesson of the "today" view: the shown day's blocks as
// numbered rows with their states, the button that starts or continues the day as a practice set,
// and the items set aside for later. The rows' facts, rectangles and the sets a click builds are
// computed here without GL; lesson_panel_draw.cpp draws them.
//
// The set-aside section stands inside the scrolled list, below the last block row, so it scrolls
// into view and is clicked like the rows; the content height of the view leaves room for it.
#pragma once
#include <string>
#include <vector>

#include "gfx/rect.h"
#include "learning/library_index.h"
#include "learning_ui/learning_layout.h"

// ---- state ----
extern bool gLessonAutoScrollDone;   // the list has scrolled to the first open block once this run

// Back to the start values (tests, through ResetLearningScreenState).
void ResetLessonPanel();

// One block row: its item and what the model says of it.
struct LessonBlockRow {
  const LibraryItem* item;   // valid until the library is sorted or reloaded
  bool done;                 // done on the shown day
  bool unlocked;
};

// The shown day as the panel lists it.
struct LessonDayView {
  std::vector<LessonBlockRow> rows;
  bool planned = false;   // a planned day is previewed: every row locked, no button
  int doneCount = 0;
  int firstOpen = -1;     // the lowest row neither done nor locked, -1 for none
  int secondOpen = -1;    // the next such row after it
};

// ---- the model ----
// The shown day's items in block order that are in the library and listed in the current view.
std::vector<const LibraryItem*> DayBlockItems();
// The translated kind word of a block by its category ("Warm-up", "New skill", "Read", "Study",
// "Play").
std::string BlockKindLabel(const std::string& category);
LessonDayView BuildLessonDayView();
// The English line shown in place of an empty list; *warning is set when the library is what is
// wanting (not found, or its index unreadable) rather than a student or the day's blocks.
const char* LessonEmptyText(bool* warning);
// The English status tag of row i ("Mastered" .. "Practiced", "Start", "Up next", "Remaining",
// "Locked").
const char* LessonBlockTag(const LessonDayView& view, int row);
// The translated label of the button: "START LESSON" before any block is done, else
// "CONTINUE - BLOCK n" with the first open block's number.
std::string LessonButtonLabel(const LessonDayView& view);
// Every open block's id in row order: what the button plays.
std::vector<std::string> LessonSetFromButton(const LessonDayView& view);
// The clicked block, then the open blocks after it, then the open ones before it.
std::vector<std::string> LessonSetFromRow(const LessonDayView& view, int row);

// Once a run, the first time the list shows its first open block below the first row, the list
// scrolls to it; scrolling back up afterwards stays.
void AutoScrollToFirstOpenBlock(const LearningLayout& l, const LessonDayView& view);

// ---- geometry ----
// The visible list above the button band: the content's height less 72, at least 60.
float LessonListHeight(const LearningLayout& l);
// Block row i at the current scroll.
RectF LessonRowRect(const LearningLayout& l, int row);
// The mastery badge of a row (the retention dots stand left of it).
RectF LessonRowBadgeRect(const RectF& row);
RectF LessonButtonRect(const LearningLayout& l);
// Top of the set-aside section below n block rows: 16 px under the last row.
float SetAsideTop(const LearningLayout& l, int blockRows);
RectF SetAsideRowRect(const LearningLayout& l, int blockRows, int item);
// Whether the set-aside section shows under these rows (never under an empty list).
bool ShowsSetAside(const LessonDayView& view);
