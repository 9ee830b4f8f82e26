// learning/library_index: the lesson library: its items read from "library_index.tsv" in the
// library folder ("MIDI/Library/" beside the executable), the set of their ids, and the lists
// that other parts take of it.
//
// The index is tab-separated with a header line. Rows of 10 or 11 columns use the old layout,
// rows of 12 or more the new one (see ParseLibraryRow); a row without an id or a file is skipped.
// Loading the library also loads the active student's learning records.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "learning/id_hash.h"

// One item of the lesson library.
struct LibraryItem {
  std::string id;                    // unique key of the item; key of its mastery record
  std::string name;                  // the item's title
  std::string subtitle;              // the line under the title (the composer for pieces)
  std::string category;              // section key ("foundations", "scales", "etude" ...)
  std::string type;                  // kind within its category ("Major Scales")
  std::string key_name;              // key text such as "C", "F#", "Bb"
  std::string era;
  std::string form;
  std::string repertoire_category;   // the study group
  std::string file;                  // the lesson MIDI file, relative to the library folder
  std::string hand;                  // "rh", "lh", "both" or empty
  std::string text17, text18, text19;
  int32_t level = 0;
  int32_t authored_bpm = 60;         // tempo of the file at full speed, >= 1
  int32_t target_bpm = 60;           // tempo needed for mastery, >= 1
  float target_accuracy = 0.9f;      // 0.01..1
  float target_timing = 0.85f;       // 0.01..1
  int32_t key_pitch_class = 12;      // 0..11, 12 = none
  int32_t row_index = 0;             // place among the kept rows, from 0
  int32_t legacy_target_bpm = 60;    // the targets older records are judged by
  float legacy_target_accuracy = 0.9f;
  float legacy_target_timing = 0.85f;
};

// ---- state ----
extern std::vector<LibraryItem> gLibraryItems;                 // file order until sorted for a view
extern std::unordered_set<std::string, IdHash> gKnownItemIds;  // every loaded id
extern bool gLibraryLoaded;                                    // LoadLibraryIndex has run
extern bool gLibraryIndexUnreadable;                           // the index is there but gave no item
extern uint64_t gLibraryGeneration;                            // counts the loads, for caches of the items

// "MIDI/Library/" beside the executable.
std::string LibraryFolderPath();
// (Re)loads the library: learning records first (once per student), then the index, then the
// schedule and the view order.
void LoadLibraryIndex();
// Loads the library when it is not loaded yet.
void EnsureLibraryLoaded();
// One row split at TABs into an item; false when the row is not kept (too few columns, no id,
// no file). row_index is left to the caller.
bool ParseLibraryRow(const std::vector<std::string>& columns, LibraryItem* item);
// The column's text, or null when it is missing or empty.
const char* LibraryColumnText(const std::vector<std::string>& columns, size_t index);
// Splits a line at every TAB (n TABs give n + 1 fields).
std::vector<std::string> SplitTabs(const std::string& line);
// The first item with this id, or null. Pointers do not survive a reload or a sort.
LibraryItem* FindLibraryItem(const std::string& id);
// Forgets the id index behind FindLibraryItem; after every change of gLibraryItems' order (a
// change of its size or storage is noticed by itself).
void InvalidateLibraryItemIndex();
// The id is one of the loaded library's.
bool IsKnownItemId(const std::string& id);
// An item whose song would not load (its file gone or damaged) counts in no day until the library
// is loaded again: a block that can never be played would hold its day open for good.
void ForgetUnplayableItem(const std::string& id);
// The distinct types of a category in file order, appended to out when not already there.
void CollectCategoryTypes(std::vector<std::string>& out, const std::string& category);
// The ids of a category's items in file (index) order; loads the library when needed.
std::vector<std::string> ListCategoryItemIds(const std::string& category);
// Forgets the library (tests).
void ResetLibraryIndex();
