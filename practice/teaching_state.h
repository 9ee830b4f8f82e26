// practice/teaching_state: the active student's teaching record and the load that makes it follow
// the active student, the difficulty slider and the picked scale and key.
//
// The record itself (TeachingState, gTeachingState) is declared in midi/teaching_record.
#pragma once
#include <cstdint>
#include <string>

#include "midi/teaching_record.h"

// The teaching difficulty slider, 0..1 (0.5 at start); the one slider value (no second copy).
extern float gTeachingLevel;

// Brings the record to its defaults (enabled); the first call of the process also wakes the
// sound device with a silent click.
void ResetTeachingSession(TeachingState& s);
// Makes gTeachingState follow the active student; resetLevel also resets the play-along level.
void LoadTeachingState(bool resetLevel);
// Per frame: the load, the difficulty from the slider, the cell of the picked scale and key.
void SyncTeachingSelection();
void SetTeachingDataFolder(TeachingState& s, const std::string& folder);
// Each channel clamped to 0..1.
void SetTeachingColour(TeachingState& s, float r, float g, float b);
// 60 / max(B, 1) with B the song tempo when above 0, else the metronome tempo.
double GetTeachingBeatSeconds(const TeachingState& s);
// A cell code is row * 16 + ring position: not negative, position 0..11, row in the catalogue.
bool IsValidTeachingCellCode(int code);

// The teaching timing panel has no layout in this program: its input handlers never take an
// event and its per-frame calls have nothing to do.
bool OnTimingPanelMouseDown(int x, int y, uint32_t nowMs, bool doubleClick);
void OnTimingPanelMouseDrag();
void OnTimingPanelMouseUp(int x);
bool OnTimingPanelWheel(int x, int y, int delta);
void UpdateTeachingTimeline(TeachingState* s, double dt);
void TickNoteScheduler(uint32_t frameStartMs);
