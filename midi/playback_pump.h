// midi/playback_pump: the per-pass advance of the playing song: loop wrap, the song's tempo to the
// metronome, the due events to the output and the display, and the end of the song (next playlist
// entry or a plain stop, once the song's sound has rung out; a lesson song's end goes back to the
// caller, at its last event and once it has rung out).
#pragma once
#include <cstdint>

#include "midi/practice_run_result.h"
#include "midi/song_beat.h"

// Receives the song's beat record of a pass (the frame passes the metronome's grid).
using SongBeatHandler = void (*)(const SongBeatInfo& info);

// What a pass reports of a lesson song's end (outside a playlist), as bits: it reached its last
// event this pass (the caller records the attempt), and its sound has rung out (the caller decides
// what follows; on every pass until it does). A song that does not sound (muted, no output) has
// nothing to ring out: both come in one pass.
constexpr int kLessonSongEnded = 1;
constexpr int kLessonSongRungOut = 2;

// Once per pass of the main loop with the current clock time; onSongBeat gets the song's beat
// record before the due events are sent. Returns the lesson song's end bits of the pass, 0 when
// none.
int PumpMidiPlayback(uint32_t now, SongBeatHandler onSongBeat = nullptr);
// Once per pass of the main loop, before anything reads the song clock: when the pass comes more
// than half a second after the one before it while the song played on untouched (the program was
// stopped or frozen, or the machine slept with its clock running), the song's clock moves on by a
// frame only, so the song goes on where it stood rather than playing every note it missed at once.
void KeepSongOverStall(uint32_t now);
// Forgets the pump's state (a song unloaded).
void ResetPlaybackPump();
// A note of the run was judged (a wrong note, or a song note graded or missed; a rhythm study's
// missed notes do not count).
bool IsSongRunJudged();
// Gives the metronome the song's tempo at a position, counted in the song's clicks (times the
// speed, 30..260; unless forced, only when the rounded tempo changed), and the song's time
// signature there, when it gives one.
void SyncMetronomeToSong(uint32_t songPosMs, bool force);
// The figures of the run from the judge records.
PracticeRunResult BuildPracticeRunResult();
// The metronome follows the song while one plays with a usable tempo list, else its own grid.
void UpdateSongTempoFlag();
