// learning_ui/mastery_figures: the figures the learning screens show of an item's mastery, the
// selection of a whole card section for practice, and the summary of a practice route.
#pragma once
#include <string>

#include "learning/library_index.h"

// Each figure 0..1; weakest names the lowest of the first four (0 accuracy, 1 timing, 2 tempo,
// 3 retention; the earlier one on a tie).
struct MasteryProgress {
  float accuracy = 0, timing = 0, tempo = 0, retention = 0, overall = 0;
  int weakest = 0;
};

struct RouteSummary {
  std::string label;          // the category's tab label
  int sectionCount = 0;       // its distinct types
  int sectionsDone = 0;       // types whose items are all complete
  std::string nextTitle;      // the first unlocked, incomplete item's card title; "" for none
  bool anyUnlocked = false;
  bool allComplete = true;
};

// All zero for an item without a record or whose record a placement made.
MasteryProgress ComputeMasteryProgress(const LibraryItem& item);
// Listed cards of the section that are available, and how many of those are selected.
void CountSectionCards(const std::string& label, int* selected, int* available);
// SELECT / REMOVE on a section header: starts choosing, then selects or removes its available cards.
void ToggleSectionSelection(const std::string& label);
RouteSummary ComputeRouteSummary(const std::string& category);
