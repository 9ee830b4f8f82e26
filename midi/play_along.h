// midi/play_along: play-along judging as the transport sees it: one judge record per song event,
// the run and view flags, and the resets the transport calls.
#pragma once
#include <cstdint>
#include <vector>

// The judgement of one song event (all zero: pending).
struct NoteJudgeState {
  uint8_t state;          // 0 pending, 1 perfect, 2 good, 3 late or early, 4 missed, 6 hold broken,
                          // 7 passed without judging
  float timingErrorMs;    // signed timing error in real ms
  uint32_t judgedAtMs;    // clock time of the judgement
  uint8_t holdNote;       // the graded note is long enough to be held
  uint8_t holdBroken;     // released before its end
  uint8_t effectShown;    // the board has shown the hit effect
  uint32_t holdEndMs;     // song time of a hold note's end
  uint8_t velocity;       // played velocity 0..127
  uint32_t keyDownMs;     // when the key went down
  uint8_t wrongAttempt;   // a wrong key was pressed while this note was expected
};

extern std::vector<NoteJudgeState> gJudgeStates;  // parallel to gSongEvents (check the size)
extern bool gPlayAlongRun;            // a judged run is active
extern bool gPracticeMode;            // the practice view is on
extern bool gWaitMode;                // playback waits for the expected notes
extern bool gPlayAlongStartPending;   // a run starts as soon as play-along is possible
extern int32_t gWrongNoteCount;       // wrong notes of the run

// Practice or wait mode is on and a song with a positive length is loaded.
bool IsPlayAlongAvailable();
// A device key press at its estimated event time now (ms).
void PlayAlongNoteInput(int note, int velocity, uint32_t now);
// Held-key grading, hold release and timed-out misses; noteFilter -1 for all notes, else the
// released note (called before the key is marked up).
void JudgePlayAlongNotes(uint32_t now, int noteFilter);
// Sizes and clears the judge records and the run counters.
void ResetJudgeStates(bool endRun, bool keepWhenSized);
// Forgets the play-along marks on the display.
void ResetPlayAlongHighlights();
// The wait behaviour; may hold the playback clock.
void UpdatePlayAlong(uint32_t now);
