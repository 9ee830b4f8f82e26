// midi/play_along: play-along judging. While a run is active every note-on of the loaded song on a
// key 0..127 is an expected note: key presses are matched to the best one and graded by their
// timing error, scored with a streak multiplier, hold notes released early are broken, wrong keys
// are counted, playback waits at the next expected note, and per-key highlight values are kept for
// the board.
//
// Everything runs on the UI thread. Clock values ("now") are the 32-bit ms clock; positions are song
// ms from GetPlaybackPositionMs. Timing errors and windows are real ms: a difference of song
// positions divided by the playback speed (at least 0.01).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/base/note_tables.h"
#include "app/base/view_modes.h"

// The judgement of one song event (all zero: pending).
struct NoteJudgeState {
  uint8_t state;          // 0 pending, 1 perfect, 2 good, 3 late or early, 4 missed, 6 hold broken,
                          // 7 passed without judging
  float timingErrorMs;    // signed timing error in real ms; a broken hold keeps its press's
  uint32_t judgedAtMs;    // clock time of the judgement
  uint8_t holdNote;       // the graded note is long enough to be held
  uint8_t holdBroken;     // released before its end
  uint8_t effectShown;    // owned by the board: it has shown the note's hit (or miss) effect
  uint32_t holdEndMs;     // song time of a hold note's end
  uint8_t velocity;       // played velocity 0..127; 0 when graded from a key already down
  uint32_t keyDownMs;     // when the key went down (or the judgement time)
  uint8_t wrongAttempt;   // a wrong key was pressed while this note was the best expected note
};

// ---- judge records and run state ----
extern std::vector<NoteJudgeState> gJudgeStates;  // parallel to gSongEvents (check the size)
extern bool gPlayAlongRun;            // a judged run is active
extern bool gPlayAlongStartPending;   // a run starts as soon as play-along is possible
extern bool gWaitAutoStarted;         // wait mode has started the run by itself
extern uint32_t gPlayAlongScore;      // points of the run
extern int32_t gPlayAlongStreak;      // current streak of perfect and good notes
extern int32_t gPlayAlongBestStreak;  // best streak of the run
extern int32_t gWrongNoteCount;       // wrong notes of the run, at most one per 300 ms
extern uint32_t gLastWrongNoteMs;     // clock time of the last counted wrong note
extern uint32_t gMissFlashUntilMs;    // the board shows its miss flash until this time
extern float gScoreFlash;             // 1.0 on every graded note; the frame lowers it
extern bool gNoteMatched[128];        // the key's latest press has been matched to a song note
extern uint32_t gNoteMatchedTimeMs[128];  // song time of that note; all -1 after a rebuild
extern bool gSavedAllNotesAllowed;    // gAllNotesAllowed as it was when the run started
extern bool gRestoreAllNotesPending;  // it must be put back when the run ends

// ---- per-key display values (indexed by MIDI note, read by the board) ----
extern uint32_t gPlayAlongHighlightsCleared;  // counts every ResetPlayAlongHighlights; the board
                                              // compares it with the count it last saw
extern float gKeyHitGlow[128];          // glow of a graded hit; the frame decays it
extern float gKeyMissFlash[128];        // red flash of a wrong note or broken hold; the frame decays it
extern float gKeyExpectHighlight[128];  // rebuilt every pass: the due notes of the key
extern float gKeyHoldHighlight[128];    // rebuilt every pass: a graded hold note still held

// ---- wait state ----
extern uint32_t gWaitEventMs;      // song time of the note playback is held at; -1 none
extern uint32_t gWaitLastFreeMs;   // last clock time the position was still before the next note; -1 none
extern uint32_t gWaitRunStartMs;   // clock time an expected note was first seen after a reset; -1 none
extern uint32_t gWaitArrivalMs;    // clock time the position reached the held note
extern bool gWaitHolding;          // playback is held during this pass
extern bool gWaitGraceActive;      // the held note grants its 250 ms grace
extern bool gRhythmKeepingTime;    // a rhythm study whose player has started: the song keeps time
extern uint32_t gLastJudgedMs;     // clock time of the last graded note

// ---- run ----
// Practice or wait mode is on and a song with a positive length is loaded.
bool IsPlayAlongAvailable();
// Starts (on, when available) or ends a run; markPassed marks the notes behind the position passed.
void SetPlayAlongRun(bool on, bool markPassed);
// Marks the pending expected notes before a song position passed without judging (state 7).
void MarkNotesPassedBefore(uint32_t position);
// Sizes and clears the judge records (kept when keepWhenSized and already sized) and the run
// counters; endRun also ends the run.
void ResetJudgeStates(bool endRun, bool keepWhenSized);
// Forgets the play-along marks on the display and counts gPlayAlongHighlightsCleared up, so the
// board forgets its fired hits.
void ResetPlayAlongHighlights();
// No run, no pending start, no judge records, no matched keys and no wait state: the play-along as
// at program start (the highlights-cleared count goes on counting).
void ResetPlayAlong();
// Releases the song's keys on the display and silences the output.
void AllNotesOff();

// ---- display rules: what a played note shows, with or without a song ----
// No song: off the current scale. With a song: marked wrong during an available play-along run.
bool IsOffScaleNote(int note);
// No song is loaded and flag is set.
bool NoSongLoadedAnd(bool flag);
// No song: fallback. With a song: 0 unless the note is marked wrong during a run, else the
// play-along availability.
int KeyDisplayState(int note, int fallback);

// ---- rules ----
// End of a song note in song ms (its release, else start + 180); 0 for an index out of range or an
// event that is not a sounding note-on.
uint32_t NoteEndTime(size_t index);
// The same by scanning the song from the note on (what NoteEndTime gives from its table).
uint32_t ScanNoteEndTime(size_t index);
// Latest position at which the note can still be matched; 0 for an index out of range.
uint32_t EventJudgeDeadline(size_t index, float level, float speed);
// Grades one pending expected note; false when out of range or not pending.
bool JudgeEvent(size_t index, uint32_t now, float absErr, float signedErr, float level, float speed,
                bool capGrade, int velocity);
// While playback is held at this note with its grace: both errors become the waiting time past the
// 250 ms grace, at most the base window.
void WaitTimingError(size_t index, uint32_t now, float* signedErr, float* absErr);
// 4 from a streak of 36, 3 from 22, 2 from 12, 1 from 5, else 0.
int ComboLevel();
// Ends the streak (with the miss flash) when there is one.
void ResetStreak(uint32_t now);
// The board's miss of a pending note past its deadline: state 4 with the given error, the effect
// marked shown, the streak ended, 30 points taken off (never below 0) and the miss flash; false
// when out of range or not pending.
bool MarkNoteMissed(size_t index, uint32_t now, float timingErrorMs);

// Every pending expected note up to the position whose deadline has passed becomes a miss (through
// MarkNoteMissed, the error at least a base window late); the main loop calls it after
// JudgePlayAlongNotes, while a run is active and available.
void MarkMissedPlayAlongNotes(uint32_t now);

// ---- callers of the note road, the main loop and the pump ----
// A device key press at its estimated event time now.
void PlayAlongNoteInput(int note, int velocity, uint32_t now);
// Held-key grading, hold release and timed-out misses; noteFilter -1 for all notes, else the
// released note (called before the key is marked up).
void JudgePlayAlongNotes(uint32_t now, int noteFilter);
// The wait behaviour; may hold the playback clock at the next expected note.
void UpdatePlayAlong(uint32_t now);

// ---- display values ----
// Rebuilds gKeyExpectHighlight and gKeyHoldHighlight.
void UpdateKeyHighlights(uint32_t now);
// Highlight 0..1 of a due pending note.
float EventHighlight(size_t index, uint32_t position, uint32_t now);
// 1 while a graded hold note is still held towards its end, else 0.
float EventPulse(size_t index, uint32_t position);
// Non-positive pulse (in px, scaled by amount) of a due pending note.
float WaitingNotePulse(size_t index, uint32_t position, uint32_t now, float amount);
// Light band on a song note bar while its sustain-pedal span lasts.
void DrawNoteGlow(size_t index, float x, float w, float yTop, float yBottom, float alpha, float scale,
                  uint32_t now);
