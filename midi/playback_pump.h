// midi/playback_pump: the per-pass advance of the playing song: loop wrap, the song's tempo to the
// metronome, the due events to the output and the display, and the end of the song with its three
// ways on (next playlist entry, plain stop, or a lesson song's recorded attempt).
#pragma once
#include <cstdint>

#include "midi/practice_run_result.h"

// Once per pass of the main loop with the current clock time.
void PumpMidiPlayback(uint32_t now);
// Gives the metronome the song's tempo at a position (times the speed, 30..260); unless forced,
// only when the rounded tempo changed.
void SyncMetronomeToSong(uint32_t songPosMs, bool force);
// The figures of the run from the judge records.
PracticeRunResult BuildPracticeRunResult();
// The metronome follows the song while one plays with a usable tempo list, else its own grid.
void UpdateSongTempoFlag();
