// midi/play_along: judging the notes played along with the loaded song.
#pragma once
#include <cstdint>

extern bool gPlayAlongRun;   // a judged run is active
extern bool gWaitMode;       // playback waits for the expected notes
extern bool gPracticeMode;   // the practice view (falling-notes lane) is on

// Practice or wait mode is on and a song with a positive length is loaded.
bool IsPlayAlongAvailable();
// A device key press at its estimated event time now (ms).
void PlayAlongNoteInput(int note, int velocity, uint32_t now);
// Held-key grading, hold release and timed-out misses; noteFilter -1 for all notes, else the
// released note (called before the key is marked up).
void JudgePlayAlongNotes(uint32_t now, int noteFilter);
