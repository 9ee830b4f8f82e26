// learning/library_view_state: the state of the library's views that the learning model reads and
// sets and the learning screens show: the view, its filters and search, the card selection, the
// screen's opening and scroll, and the month the calendar shows.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <unordered_set>

#include "learning/id_hash.h"

extern std::string gLibraryViewKey;                            // the current view key, "today" at start
extern int gLevelFilter;                                       // -1 all levels, else the highest listed
extern std::string gSearchQuery;                               // the search box's text, lower-cased
extern std::map<std::string, std::string> gChosenTypes;        // category -> chosen type
extern int gChosenKey;                                         // pitch class 0..11 (C at start), -1 every key
extern int gHandFilter;                                        // 0 all, 1 right, 2 left, 3 both
extern std::unordered_set<std::string, IdHash> gSelectedCards; // cards selected for practice
extern bool gChoosingPractice;                                 // the library is choosing cards
extern bool gLibraryOpen;                                      // the learning screen is shown
extern uint32_t gLibraryOpenedMs;                              // GetAppSeconds x 1000 + 1 when opened, 0 closed
extern float gLibraryScroll;                                   // content scroll in px, 0 at the top
extern int gLearningCalendarYear;                              // the month the calendar panel shows
extern int gLearningCalendarMonth;                             // 1..12, 0 before the first showing

// Back to the start values (tests).
void ResetLibraryViewState();
