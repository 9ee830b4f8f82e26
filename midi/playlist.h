// midi/playlist: the songs to play: one file chosen with the open dialog, or every MIDI file of a
// chosen folder in name order; stepping through them, with shuffle and repeat.
#pragma once
#include <string>
#include <vector>

extern std::vector<std::string> gPlaylist;  // file paths
extern int gPlaylistIndex;                  // the playing entry, -1 when none
extern bool gPlaylistShuffle;               // pick the next entry at random
extern bool gPlaylistRepeat;                // wrap around at either end

// Empty, nothing playing, shuffle and repeat off.
void ResetPlaylist();
// Empties the list, shuffle and repeat kept: the song now loaded is none of its entries (a lesson
// opened, the song unloaded), so its end is its own and Next and Previous have nothing to step.
void ClearPlaylistEntries();
// Chooses one MIDI file and plays it as a one-entry playlist; false on cancel or a failed load.
// The shell runs both choosers outside full screen (app/midi_choosers).
bool ChooseAndPlayMidiFile();
// Chooses a folder and plays its MIDI files from the first that loads; false on cancel, no files or
// none that loads, the playlist then unchanged.
bool OpenMidiFolderPicker();
// The ".mid" and ".midi" files directly in a folder (any case), in playlist order; true when any.
bool CollectMidiFiles(const std::string& folder, std::vector<std::string>& out);
// Playlist order: file names compared lower-cased, then whole paths as they stand.
bool PlaylistPathLess(const std::string& a, const std::string& b);
// Plays entry i (taken modulo the count); false when empty or the load fails.
bool PlayPlaylistEntry(int i);
// Plays the next (direction >= 0) or previous entry; atEnd: called because a song ended, then it
// steps forward past entries that cannot be read.
bool StepPlaylist(int direction, bool atEnd);
