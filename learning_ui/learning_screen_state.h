// learning_ui/learning_screen_state: the learning screen's own state beside the view state it
// shares with the learning model (learning/library_view_state): the library button's place, the
// search box's focus and drag, the scrollbar's drag and hover, the scroll hint's memory, the
// skills tab and the endless-runs list. Only the learning screens write these.
#pragma once

#include <string>

#include "gfx/rect.h"

// ---- skills tabs ----
constexpr int kSkillsTabOverview = 0;   // the practice routes
constexpr int kSkillsTabMap = 1;        // the mastery map

// ---- state ----
extern RectF gLibraryButtonRect;        // where the library button was drawn; hidden when not shown
extern RectF gSearchBoxRect;            // where the search box was drawn; hidden outside card grids
extern bool gSearchFocused;             // the search box has the keyboard focus
extern bool gSearchDragging;            // a mouse selection in the search box is under way
extern float gLibraryTitleWidth;        // measured width of a card grid's view title, 0 elsewhere
extern bool gScrollDragging;            // the scrollbar's thumb is being dragged
extern float gScrollGrabY;              // mouse y where the thumb drag began
extern float gScrollGrabStart;          // gLibraryScroll when the thumb drag began
extern float gScrollbarHover;           // eased hover level of the scrollbar, 0..1
extern double gScrollbarAnimTime;       // app seconds of the hover's last step; negative before the first
extern float gScrollHintLastScroll;     // the scroll the hint last saw; negative before the first
extern double gScrollHintChangedAt;     // app seconds when that scroll changed
extern int gSkillsTab;                  // kSkillsTabOverview or kSkillsTabMap
extern int gRunsDropDown;               // the endless-runs list that is open, 0 for none
extern int gLevelListFirst;             // the LEVEL list's first row shown when not all fit
extern int gNavListFirst;               // the navigation list's first row shown when not all fit
extern std::string gNavListView;        // the view in which the wheel last turned that list

// Back to the start values (tests).
void ResetLearningScreenState();
