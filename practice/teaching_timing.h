// practice/teaching_timing: what the student plays, fed into the teaching record: note onsets
// judged against the beat grid, judged cells of the practice plan, teaching sessions with their
// dated attendance entries, and the metronome's beat grid (free-running or following a song).
//
// Times are seconds on the monotonic clock (GetMonotonicMs / 1000); durations in the statistics
// are milliseconds. Everything runs on the UI thread; only the save at a session's end leaves it.
#pragma once
#include <cstdint>

#include "practice/teaching_song_sync.h"
#include "practice/teaching_state.h"

// One note-on, built per note.
struct TeachingOnset {
  int32_t key = 0;         // 0..127
  int32_t velocity = 0;
  uint8_t valid = 1;
  double time = 0.0;       // seconds
  uint8_t inScale = 0;     // the pitch class lies in the target scale
};

// How a beat is made audible; PlayClick unless a test puts its own in. beatTime is the beat's own
// time in seconds on the grid's clock (GetMonotonicMs / 1000), which the sound starts from.
using TeachingClickFunction = void (*)(const TeachingState& settings, bool accent, double beatTime);
// nullptr restores PlayClick.
void SetTeachingClickFunction(TeachingClickFunction fn);

// A device note-on (from the note road) while a practice run is running.
void OnTeachingNoteOnset(int key, int velocity);
// Judges and counts one onset on gTeachingState.
void RecordTeachingOnset(const TeachingOnset& onset);
// A cell the practice run recognised, compared with the plan's current step.
void RecordTeachingCellHit(int cellCode, double time);
// Opens a session when none is open.
void BeginTeachingSession(double time);
// Arms the first-downbeat grace at a step change (only while the metronome grid runs).
void ArmDownbeatGrace();
// Closes an open session: one dated attendance entry, then a background save.
void EndTeachingSession(double time);
// Per frame: the free-running grid and its click (at most one per frame).
void TickTeachingBeatGrid(TeachingState& s);
