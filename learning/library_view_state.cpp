// learning/library_view_state: the view state shared by the model and the screens.
#include "learning/library_view_state.h"

// ---- state ----
std::string gLibraryViewKey = "today";                  // the current view
int gLevelFilter = -1;                                  // -1 every level
std::string gSearchQuery;                               // "" no search
std::map<std::string, std::string> gChosenTypes;        // per category
int gChosenKey = 0;                                     // C; -1 every key
int gHandFilter = 0;                                    // 0 every hand
std::unordered_set<std::string, IdHash> gSelectedCards; // selected card ids
bool gChoosingPractice = false;                         // choosing cards
bool gLibraryOpen = false;                              // the screen is shown
uint32_t gLibraryOpenedMs = 0;                          // 0 closed
float gLibraryScroll = 0.0f;                            // px from the top
int gLearningCalendarYear = 0;                          // shown month (0: not set yet)
int gLearningCalendarMonth = 0;

// ---- public functions ----
void ResetLibraryViewState() {
  gLibraryViewKey = "today";
  gLevelFilter = -1;
  gSearchQuery.clear();
  gChosenTypes.clear();
  gChosenKey = 0;
  gHandFilter = 0;
  gSelectedCards.clear();
  gChoosingPractice = false;
  gLibraryOpen = false;
  gLibraryOpenedMs = 0;
  gLibraryScroll = 0.0f;
  gLearningCalendarYear = 0;
  gLearningCalendarMonth = 0;
}
