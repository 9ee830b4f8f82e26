// learning/practice_set: the item opened for practice and the practice set that plays library
// items one after another (the selected cards, or the open blocks of the daily lesson).
#pragma once
#include <string>
#include <vector>

#include "learning/library_index.h"

// ---- the opened item ----
extern std::string gPracticeItemId;       // the item whose attempts are recorded, "" for none
extern std::string gPracticeStudentKey;   // StudentFileKey when it was opened
extern std::string gPracticeItemDay;      // the calendar day it is assigned on, "" when none
extern std::string gLastRecordedItemId;   // the item whose attempt was recorded last

// ---- the set ----
extern std::vector<std::string> gPracticeSetIds;   // the set's cards in order
extern int gPracticeSetIndex;                      // the card playing now, -1 for none
extern bool gPracticeSetActive;                    // a set is running
extern bool gPracticeSetSkipDone;                  // the set is the daily lesson (skips cards done today)
extern bool gLoadingPracticeCard;                  // a card's song is being loaded (the set survives it)

// The shell's song-view keep-alive, armed for an opened item's song (the shell connects it).
extern void (*gArmSongViewHook)();
// Note-fall mode's memory of the views it was entered from, for an item that turns practice mode on
// itself (the shell connects it).
extern void (*gRememberNoteFallViewsHook)();

// Empties the set: not active, index -1, and the next set is a daily one unless said otherwise.
void ClearPracticeSet();
// The MIDI file of an item: an absolute file as it stands, else in the library folder; "\" as "/".
std::string LibraryItemMidiPath(const LibraryItem& item);
// Loads the item's song (keeping a running set) and opens the item; false when the file does not
// load (the player says why).
bool LoadLibraryItem(const LibraryItem& item);
// Sets the practice up for an item whose song has just loaded: key and scale, the recorded item,
// its day, the views, the sight-reading score, the play-along run and the status line.
void OpenLibraryItem(const LibraryItem& item);
// Makes the item the one whose attempts are recorded, for the active student and on their day
// when the item is assigned on it.
void RecordItemForActiveStudent(const LibraryItem& item);
// Starts a set of the selected cards that are available, in library order; true when a card opened.
bool StartSelectedPractice();
// Starts the daily lesson's set of these ids in this order (the card selection ends): the first
// card that is there and loads opens, so a missing song never leaves a set running with nothing
// to play; when none loads the set ends with "Selected practice could not load". True when a card
// opened; an empty list starts nothing.
bool StartDailyPracticeSet(const std::vector<std::string>& ids);
// Back to the start values (tests).
void ResetPracticeSet();
