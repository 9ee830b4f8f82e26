// app/base/start_clock: the start screen's clock, kept below the floors that pause it: the
// start screen's language list and the device pickers each pause it while open. Overlapping
// pauses count once: the pause runs from the first list opening to the last one closing.
#pragma once

constexpr int kStartListLanguage = 1;  // the language list
constexpr int kStartListMidi = 2;      // the MIDI input picker
constexpr int kStartListAudioOut = 4;  // the audio-out picker

// ---- state ----
extern double gStartClock;       // app time of the first start-screen frame; -1 before it
extern double gStartHeldTime;    // seconds of finished pauses
extern double gStartPauseStart;  // app time the running pause began; -1 when none runs
extern int gStartOpenLists;     // kStartList... bits of the lists open now

// Marks one list open or closed at app time now; the pause starts with the first open list and
// its length is added to the held time when the last one closes.
void SetStartListOpen(int list, bool open, double now);
// Held seconds at now, the running pause included.
double StartHeldTime(double now);
// max(0, now - start - held); 0 before the first frame.
float StartClockElapsed(double now);
// Ends the start screen at once: the held time puts the clock 5.6 s past the start.
void EndStartScreenAtOnce(double now);
// No start yet, nothing held, no list open.
void ResetStartClock();
