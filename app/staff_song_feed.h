// app/staff_song_feed: the staff panel's view of the loaded song and its sight-reading score, both
// on floors above the staff: which score note each song note-on is, and the note-ons coming within
// the look-ahead, found from the playback position by binary search rather than a scan per frame.
#pragma once
#include <vector>

#include "theory/staff_panel.h"

// ---- state ----
extern std::vector<int> gSongToScoreMap;  // per song event: the matching score note, -1 for none
extern int gSongToScoreEventCount;        // song events the map was built from; -1 when none
extern int gSongToScoreNoteCount;         // score notes it was built from; -1 when none

// Matches each note-on of the song to the first score note of its pitch among the next nine from
// a cursor that moves past every match; rebuilt only when the song or the score changes.
void BuildSongToScoreMap();
// The staff's song part: wait mode with a song loaded, and the note-ons of the next 3200 ms.
void FillStaffSongFeed(StaffSongFeed* out);
// Forgets the map.
void ResetStaffSongFeed();
