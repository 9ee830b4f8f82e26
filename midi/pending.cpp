// midi/pending: state and functions that other subsystems already use, whose owners come later.
#include <string>
#include <vector>

#include "midi/play_along.h"
#include "midi/playback.h"

// Filled in later with playback: the loaded song (no song yet).
std::vector<SongEvent> gSongEvents;
// Filled in later with playback.
bool gPlaying = false;
// Filled in later with playback.
bool gPaused = false;
// Filled in later with playback.
std::string gSongPath;
// Filled in later with play-along judging.
bool gWaitMode = false;
// Filled in later with play-along judging.
bool gPlayAlongRun = false;
// Filled in later with play-along judging.
bool gPracticeMode = false;
// Filled in later with play-along judging.
bool IsPlayAlongAvailable() { return false; }
// Filled in later with playback.
bool HasMidiContent() { return false; }
// Filled in later with playback.
void UnloadMidi() {}
// Filled in later with play-along judging.
void PlayAlongNoteInput(int, int, uint32_t) {}
// Filled in later with play-along judging.
void JudgePlayAlongNotes(uint32_t, int) {}
