// learning/library_view_state: the view state shared by the model and the screens.
#include "learning/library_view_state.h"

// ---- state ----
std::string gLibraryViewKey = "today";                  // the current view
int gLevelFilter = -1;                                  // -1 every level
std::unordered_set<std::string, IdHash> gSelectedCards; // selected card ids
float gLibraryScroll = 0.0f;                            // px from the top
int gLearningCalendarYear = 0;                          // shown month (0: not set yet)
int gLearningCalendarMonth = 0;

// ---- public functions ----
void ResetLibraryViewState() {
  gLibraryViewKey = "today";
  gLevelFilter = -1;
  gSelectedCards.clear();
  gLibraryScroll = 0.0f;
  gLearningCalendarYear = 0;
  gLearningCalendarMonth = 0;
}
