// practice/pending: functions other subsystems already call whose bodies come with later work.
#include "practice/teaching_song_sync.h"

// Filled in later with the teaching beat grid.
void SyncTeachingClickToSong(TeachingState&, const SongBeatInfo&) {}
