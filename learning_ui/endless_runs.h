// learning_ui/endless_runs: the picker bar of the technique views (Key Patterns, Chord Shapes, Hand
// Skills, Reading Lab): a type box, a key box and four hand buttons, with the type and key lists
// that slide in below them. The choices themselves (gChosenTypes, gChosenKey, gHandFilter) are the
// library filter's, kept with the view state (learning/library_view_state); this module owns the
// bar's geometry, its drawing, its clicks and the list's fade.
//
// The bar's entry points the screen calls (DrawEndlessRunsBar, DrawEndlessRunsDropDown,
// HandleEndlessRunsClick) are declared with the other views in learning_ui/learning_views.h.
#pragma once
#include <cstdint>
#include <string>

#include "gfx/rect.h"
#include "learning_ui/learning_layout.h"

// ---- tables ----
constexpr int kRunsListNone = 0;   // gRunsDropDown: no list open
constexpr int kRunsListType = 1;   // the type list
constexpr int kRunsListKey = 2;    // the key list
constexpr int kRunsKeyCells = 13;  // the twelve keys in ring order, then "Every key"
extern const char* const kHandFilterLabels[4];   // by gHandFilter
extern const char* const kRunsKeyNames[12];      // by pitch class

// ---- state ----
extern int gRunsShownDropDown;      // the list being drawn; stays while a closed list fades out
extern float gRunsDropDownFade;     // 0..1, how far the shown list has faded in
extern uint32_t gRunsFadeClockMs;   // the fade's clock at the previous frame, 0 before the first
extern RectF gRunsClosedRect;       // the panel of the list a pick closed last
extern uint32_t gRunsClosedMs;      // ClockMs32 of that pick; 0 when no click is to be swallowed
extern std::string gRunsListView;   // the view the last frame showed
extern bool gRunsListViewSeen;      // a frame has shown one since the reset

// Back to the start values (tests; the screen's own reset calls it).
void ResetEndlessRunsPicker();
// Once a frame before the screen draws: a view other than the last frame's closes the open list
// and drops its fade, whichever press or model step changed the view. The first frame after a
// reset only takes note of its view.
void FollowRunsListToView();
// Eases the shown list's fade towards the open list at the clock reading nowMs (whole app
// milliseconds + 1, so 0 is never a reading); switching lists starts the new one from 0.
void StepRunsDropDownFade(uint32_t nowMs);

// ---- geometry ----
struct RunsTypeList {
  float x, y, width, rowH;
  int rows;
};
RectF RunsTypeBoxRect(const LearningLayout& l);
// Hidden in the "sight" view, which has no key.
RectF RunsKeyBoxRect(const LearningLayout& l);
float RunsHandButtonWidth(int index);
RectF RunsHandButtonRect(const LearningLayout& l, int index);
RunsTypeList RunsTypeListGeometry(const LearningLayout& l);
RectF RunsTypeRowRect(const RunsTypeList& list, int row);
RectF RunsTypeListPanel(const RunsTypeList& list);
// Cell 0..11 the ring-order keys, 12 "Every key".
RectF RunsKeyCellRect(const LearningLayout& l, int index);
int RunsKeyCellPitchClass(int index);   // -1 for "Every key"
RectF RunsKeyListRect(const LearningLayout& l);
// The type at that place of the view's type list; "Endless runs" past its end.
std::string RunsTypeLabel(const std::string& viewKey, int index);

// ---- drawing pieces ----
// One picker box; the value comes already translated (or is a key name) and is fitted here.
void DrawRunsPickerBox(const RectF& r, const std::string& caption, const std::string& value, bool open);
// One row of the type list, drawn offset by dy; hover is read at the row's resting place.
void DrawRunsListRow(const RectF& r, float dy, const std::string& text, const std::string& badge, bool selected,
                     float opacity);
