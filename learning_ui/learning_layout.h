// learning_ui/learning_layout: the learning screen's geometry, computed afresh from the client
// size by every drawer and hit test so that a click always meets what the last frame drew: the
// panel, sidebar, content and detail columns, the card grid and its sections, the scroll range
// and scrollbar, and the rectangles of the header, sidebar and card controls.
//
// Sizes are fixed pixels with clamps; the UI scale does not apply here.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "gfx/rect.h"
#include "learning/library_index.h"

struct LearningLayout {
  float x, top, width, height;        // the panel
  float sideX, sideW, sideInnerW;     // the sidebar and the width of its rows
  float navY, navRowH;                // the navigation list
  int navRowCount;                    // its rows (BuildNavRows)
  int navRowsShown;                   // its rows that fit, all but in a low window with a long group open
  float lowerY, lowerRowH;            // the LEVEL list
  int levelRowsShown;                 // its rows that fit, 7 but in a low window with a long navigation
  bool nextLesson;                    // NEXT LESSON stands at the sidebar's foot: the day is done
  float calendarY, calendarH;         // the calendar
  float contentRight;                 // left edge of the detail column, or the panel's right edge
  float detailW;                      // the detail column, 0 when the panel is too narrow
  float contentX, contentY, contentW, contentH;
  float cardW, cardH, cardGap;
  float sectionH;                     // a section header of the card grid
  float pickerH;                      // the endless-runs band of technique views, else 0
  int columns;                        // cards per row, 1..3
};

// One row of the navigation list: a group head or, in the current group only, one of its views.
struct NavRow {
  int kind;            // 1 group head, 0 entry
  int group;           // 0..3
  std::string key;     // the entry's view key, "" for a head
};

// ---- the layout ----
LearningLayout ComputeLearningLayout();
// The view is a card grid (neither "today" nor "skills").
bool IsLibraryGridView();

// ---- navigation ----
extern const std::vector<std::string> gNavGroups[4];   // {"today"}, songbook, skills, {"", "study"}
// The first group holding gLibraryViewKey; 0 when none does.
int NavGroupOfView();
// The view the navigation offers for a section's items: the section's own entry, else the first
// entry that lists them ("repertoire" has none of its own and opens the Songbook's first view).
std::string NavViewOfCategory(const std::string& category);
// The English label of a view key ("Browse" for an unknown key); callers translate.
const char* NavKeyLabel(const std::string& key);
void NavKeyColour(const std::string& key, float* r, float* g, float* b);
// Every group head, with the current group's views after its head when it holds more than one.
std::vector<NavRow> BuildNavRows();
// Hidden while the list, scrolled to gNavListFirst, does not show the row.
RectF NavRowRect(const LearningLayout& l, int row);
// The navigation list's first row shown: where the wheel left it in this view, else the top or as
// far down as keeps the current view's row in sight.
int NavListFirst(const LearningLayout& l);
// LEVEL row r = 0..6 (all, technique only, up to Beginner .. Advanced); hidden while the list,
// scrolled to gLevelListFirst, does not show it.
RectF LevelRowRect(const LearningLayout& l, int row);
// The LEVEL list's first row shown: gLevelListFirst within what the list can scroll.
int LevelListFirst(const LearningLayout& l);
// Hidden while the day is open, and in a card grid whose LEVEL list it would leave no row.
RectF NextLessonButtonRect(const LearningLayout& l);

// ---- header and card controls ----
RectF PracticeButtonRect(const LearningLayout& l);
RectF ClearButtonRect(const LearningLayout& l);
RectF SectionButtonRect(const LearningLayout& l, float y);
RectF CardBadgeRect(const RectF& card);
// Left edge of the two retention dots drawn left of a mastery badge at badge (a card's or a lesson
// row's).
float RetentionDotsLeft(const RectF& badge);
RectF GetSearchBoxRect(const LearningLayout& l);
// Room for the view title left of a search box of at least 200 px.
float TitleMaxWidth(const LearningLayout& l);

// ---- the card grid ----
// Walks the listed items in list order with the grid's geometry, the content's top at
// contentY - scroll: onSection(label, header top) at each new section, onCard(item, card) for each
// card; a callback that returns true stops the walk. Either may be empty. Returns the content's
// full height (0 for none).
using GridSectionVisit = std::function<bool(const std::string& label, float top)>;
using GridCardVisit = std::function<bool(const LibraryItem& item, const RectF& card)>;
float WalkCardGrid(const LearningLayout& l, float scroll, const GridSectionVisit& onSection, const GridCardVisit& onCard);

// ---- scrolling ----
// Height of the current view's scrolled content.
float LearningContentHeight(const LearningLayout& l);
// The furthest scroll: max(0, content height - contentH).
float MaxLibraryScroll(const LearningLayout& l);
// Keeps gLibraryScroll within 0..MaxLibraryScroll.
void ClampLibraryScroll(const LearningLayout& l);
// The scrollbar's track and thumb; false when the content fits (no scrollbar).
bool GetScrollbarRects(const LearningLayout& l, RectF& track, RectF& thumb);
// The section names down the content, each once per run of equal names.
void ListSectionLabels(std::vector<std::string>& out);

// ---- counts ----
// What the header and the overview panel count: the items the view lists and how many of them are
// done today. In "today" these are the day's blocks, one per id even where the index repeats an
// id, so the counts agree with the rows the daily lesson shows.
void CountListedItems(int* listed, int* doneToday);
