// midi/metronome_panel: the metronome's own controls: a switch that starts and stops the click,
// the tempo with its minus and plus buttons, the time signature (beats per bar over the beat's note
// value) and the downbeat sound's switch. It edits the teaching record's metronome fields; the
// beat grid that clicks on them runs elsewhere (practice/teaching_timing), started by the switch.
//
// The shell hands the panel its room (a row of the control band) and calls its handlers in its
// click order; the panel lays its controls out inside that room from the right, narrowing them a
// little when the room is short, then dropping the downbeat switch first and then the time
// signature when it is narrower still. Everything above
// the drawing section runs without GL.
#pragma once

#include "gfx/rect.h"

// ---- constants ----
inline constexpr int kMetronomeMinBpm = 30;
inline constexpr int kMetronomeMaxBpm = 260;
inline constexpr int kMetronomeMaxBeats = 32;   // beats per bar run 1..32
inline constexpr int kMetronomeShortestNote = 16;  // the beat's note value runs 1, 2, 4, 8, 16
inline constexpr int kMetronomeBigStep = 10;    // a Shift press on minus or plus

// ---- state: the rectangles, kHiddenRect while not shown ----
extern RectF gMetronomeSwitchRect;      // starts and stops the click
extern RectF gTempoDownRect;            // minus
extern RectF gTempoFigureRect;          // the tempo in beats per minute
extern RectF gTempoUpRect;              // plus
extern RectF gBeatsPerBarRect;          // the time signature's first figure (before the stroke)
extern RectF gBeatValueRect;            // its second figure, the beat's note value
extern RectF gDownbeatSwitchRect;       // the accented downbeat's own sound

// ---- layout ----
// Lays the controls out in room (client pixels; kHiddenRect or a room too small hides them all).
void LayoutMetronomePanel(const RectF& room, float uiScale);
// Every rectangle hidden.
void ResetMetronomePanel();
// The point lies on one of the shown controls.
bool IsPointOnMetronomePanel(int x, int y);

// ---- input ----
// A press: the switch, minus and plus (Shift: steps of 10), the figures of the time signature
// (the next value; Shift: the one before) or the downbeat switch. True when a control took it.
bool MetronomePanelMouseDown(int x, int y, bool shift);
// A wheel turn (120 a notch away from the user) over the tempo or a figure of the time signature
// steps it one a notch; true when taken.
bool MetronomePanelWheel(int x, int y, int delta);

// ---- the record's metronome fields ----
// On: the grid starts afresh, so its first beat (accented) clicks at once. Off: StopMetronome.
void SwitchMetronome(bool on);
// The tempo, clamped to 30..260. A grid running on its own keeps the beat that clicked last and
// counts the next one from it at the new tempo; while a song drives the grid the song keeps
// its tempo and this one is kept for after it.
void SetMetronomeTempo(int bpm);
// Beats per bar, wrapped round 1..32. While a song gives the time signature it keeps it, and the
// user's own is stepped and kept for after it, as the tempo is.
void StepBeatsPerBar(int step);
// The beat's note value, stepped through 1, 2, 4, 8, 16 and round; kept aside the same way.
void StepBeatValue(int step);
// The tempo the clicks follow: a song's while one drives the grid, else the metronome's own.
int ShownMetronomeTempo();

// ---- drawing ----
// The controls as laid out last, the switch in the student's colour.
void DrawMetronomePanel();
