// midi/song_beat: the flag that tells the beat grid a song has just started or jumped.
#include "midi/song_beat.h"

// ---- state ----
bool gSongBeatResync = false;  // a start or seek happened since the last beat record
