// midi/pending: state and functions that other subsystems already use, whose owners come later.
#include <vector>

#include "midi/play_along.h"
#include "midi/playback.h"

// Filled in later with playback: the loaded song (no song yet).
std::vector<SongEvent> gSongEvents;
// Filled in later with play-along judging.
bool gPlayAlongRun = false;
// Filled in later with play-along judging.
bool gWaitMode = false;
// Filled in later with play-along judging.
bool gPracticeMode = false;
// Filled in later with play-along judging.
bool IsPlayAlongAvailable() { return false; }
