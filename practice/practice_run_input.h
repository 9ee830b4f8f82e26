// practice/practice_run_input: the practice run's note input: the start of an armed run, the
// per-step note statistics (gaps, hesitations, beat offsets, notes in the step's scale) and the
// steps completed by the achievement tracker.
#pragma once
#include <cstdint>

// A device note-on at its event time ms; an armed run starts on it. Also (-1, 0, now) for a
// command key while a run is armed.
void OnPracticeNoteOn(int key, int velocity, uint32_t ms);
// A device note-off at its event time ms, also for a key without a held record; nothing that
// anything reads changes.
void RecordPracticeStepTiming(int key, uint32_t ms);
// A loaded song holds an armed or running run where it stands: the achievement tracker earns no
// cell while one is loaded, so no step could be completed until the song is closed.
bool PracticeRunHeldBySong();
// Zeroes one step's statistics and sets its start; nothing for an index out of range.
void ResetPracticeStepStats(int step, uint32_t ms);
// The hesitation threshold in ms for the teaching level L (0..1) and the beat grid state.
double PracticeHesitationThresholdMs(float level, bool gridRunning, int bpm);
