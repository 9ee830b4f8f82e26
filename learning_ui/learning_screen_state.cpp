// learning_ui/learning_screen_state: the learning screen's own state.
#include "learning_ui/learning_screen_state.h"

#include "learning_ui/endless_runs.h"
#include "learning_ui/lesson_panel.h"

// ---- state ----
RectF gLibraryButtonRect = kHiddenRect;   // hidden until drawn
RectF gSearchBoxRect = kHiddenRect;       // hidden until drawn
bool gSearchFocused = false;              // no focus
bool gSearchDragging = false;             // no selection drag
float gLibraryTitleWidth = 0.0f;          // no title measured
bool gScrollDragging = false;             // no thumb drag
float gScrollGrabY = 0.0f;                // thumb grab point
float gScrollGrabStart = 0.0f;            // scroll at the grab
float gScrollbarHover = 0.0f;             // not hovered
double gScrollbarAnimTime = -1.0;         // not stepped yet
float gScrollHintLastScroll = -1.0f;      // not seen yet
double gScrollHintChangedAt = 0.0;        // app seconds
int gSkillsTab = kSkillsTabMap;           // the map first
int gRunsDropDown = 0;                    // no list open
int gLevelListFirst = 0;                  // from the top
int gNavListFirst = 0;                    // from the top
std::string gNavListView = "today";       // the opening view, shown from the top

// ---- public functions ----
void ResetLearningScreenState() {
  gLibraryButtonRect = kHiddenRect;
  gSearchBoxRect = kHiddenRect;
  gSearchFocused = gSearchDragging = gScrollDragging = false;
  gLibraryTitleWidth = 0.0f;
  gScrollGrabY = gScrollGrabStart = 0.0f;
  gScrollbarHover = 0.0f;
  gScrollbarAnimTime = -1.0;
  gScrollHintLastScroll = -1.0f;
  gScrollHintChangedAt = 0.0;
  gSkillsTab = kSkillsTabMap;
  gRunsDropDown = 0;
  gLevelListFirst = 0;
  gNavListFirst = 0;
  gNavListView = "today";
  ResetEndlessRunsPicker();
  ResetLessonPanel();
}
