// midi/playback: the loaded song and its transport.
#pragma once
#include <vector>

#include "midi/midi_file.h"

extern std::vector<SongEvent> gSongEvents;   // the loaded song, sorted by time; empty when none
