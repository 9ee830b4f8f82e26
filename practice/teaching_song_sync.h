// practice/teaching_song_sync: the metronome's beat grid following a playing song.
#pragma once
#include "midi/song_beat.h"

struct TeachingState;

// Re-anchors the beat grid on the song's beat and clicks when a new beat has begun; called by the
// playback pump once per pass while a song plays with a usable tempo list.
void SyncTeachingClickToSong(TeachingState& state, const SongBeatInfo& info);
