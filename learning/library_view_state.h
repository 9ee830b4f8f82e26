// learning/library_view_state: the state of the library's views that the learning model reads and
// sets and the learning screens show: the view, its filters, the card selection and the scroll.
#pragma once
#include <string>
#include <unordered_set>

#include "learning/id_hash.h"

extern std::string gLibraryViewKey;                            // the current view key, "today" at start
extern int gLevelFilter;                                       // -1 all levels, else the highest listed
extern std::unordered_set<std::string, IdHash> gSelectedCards; // cards selected for practice
extern float gLibraryScroll;                                   // content scroll in px, 0 at the top
extern int gLearningCalendarYear;                              // the month the calendar panel shows
extern int gLearningCalendarMonth;                             // 0..11

// Back to the start values (tests).
void ResetLibraryViewState();
