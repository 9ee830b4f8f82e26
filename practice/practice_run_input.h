// practice/practice_run_input: the practice run's note input from the device.
#pragma once
#include <cstdint>

// A device note-on at its event time ms; an armed run starts on it. Also (-1, 0, now) for a
// command key while a run is armed. (The practice run's note input: no PracticeRunNoteInput besides.)
void OnPracticeNoteOn(int key, int velocity, uint32_t ms);
// A device note-off at its event time ms, also for a key without a held record.
void RecordPracticeStepTiming(int key, uint32_t ms);
