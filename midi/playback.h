// midi/playback: the loaded song and its transport.
#pragma once
#include <string>
#include <vector>

#include "midi/midi_file.h"

extern std::vector<SongEvent> gSongEvents;   // the loaded song, sorted by time; empty when none
extern bool gPlaying;                        // playback is running
extern bool gPaused;                         // playback is paused
extern std::string gSongPath;                // path of the loaded MIDI file

// A song is playing or loaded (events, path or playlist present).
bool HasMidiContent();
// Stops playback and unloads the song.
void UnloadMidi();
