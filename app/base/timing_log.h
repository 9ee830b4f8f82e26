// app/base/timing_log: timing lines for whoever tunes the program, on the debug output and only
// when TONVARRA_TIMING_LOG is set: how long start-up took to its first shown frame (with the
// time of each start-up step), and how long each key from the keyboard took from the MIDI
// callback's time stamp to the swap of the first frame that drew it. Switched off, each call is
// one test of a flag, so the calls stay in the release build where the figures matter.
//
// Lines (times in ms with one decimal; clock values in ClockMicros64 microseconds):
//   [timing] first frame 312.4 ms after process start (290.1 ms after main, UI thread cpu 150.2 ms)
//   [timing] step fonts done 171.3 ms after main, UI thread cpu 120.5 ms
//   [timing] key 60 callback 1000123456 ms handled 1000123457310 us swap 1000123465120 us latency 9 ms
// A key's time splits into waiting for the frame that handles it (callback to handled) and that
// frame's drawing and swap (handled to swap).
// The UI thread's processor time since the process began tells work from waiting on a busy machine.
#pragma once
#include <cstdint>
#include <string>

// ---- switch ----
// True when the environment asks for timing lines; read once.
bool TimingLogOn();
// Tests turn the lines on or off without the environment.
void SetTimingLogOnForTesting(bool on);

// ---- start-up ----
// Remembers the moment main began; the first frame's line counts from it as well.
void MarkProgramEntry();
// A start-up step ended now: before the first frame it is kept and listed after the first frame's
// line; after it (a loader the first frame did not wait for) its line goes out at once.
void MarkStartupStep(const char* name);
// The first frame is drawn and about to be swapped (the step "drawn"); later frames mark nothing.
void MarkFirstFrameDrawn();

// ---- frames and keys ----
// A note-on from the keyboard was handled, stamped by the MIDI callback at stampMs (ClockMs32).
void NoteKeyHandled(int note, uint32_t stampMs);
// The frame was swapped at swapMicros (ClockMicros64): the first swap logs the start-up lines,
// every swap logs the keys handled since the last one. A frame that does not draw the notes (the
// start screen stands in front of everything) passes drewNotes false: its keys were never shown
// at their time, so they are dropped rather than timed to a later frame.
void NoteFrameSwapped(int64_t swapMicros, bool drewNotes);

// ---- lines ----
// The start-up line for these figures (all ms).
std::string FormatStartupLine(double sinceProcessMs, double sinceMainMs, double cpuMs);
// The line of one start-up step.
std::string FormatStepLine(const char* name, double sinceMainMs, double cpuMs);
// The line of one key: callback stamp, handling and swap times, and callback to swap in whole ms.
std::string FormatKeyLine(int note, uint32_t stampMs, int64_t handledMicros, int64_t swapMicros);

// Forgets the marks and waiting keys, and re-reads the switch.
void ResetTimingLog();
