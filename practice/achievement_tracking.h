// practice/achievement_tracking: earning achievement cells by playing scales on the keyboard.
//
// Every device note-on is offered to two trackers per cell: one follows the scale upwards through
// an octave (which earns the cell), the other downwards (which makes an earned cell glow).
#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "practice/achievements.h"

using AchvCellList = std::vector<std::pair<int, int>>;   // (row, column) pairs

// Glow per pitch class (0..1.05) after a descending run of the current scale on an earned cell.
extern float gScaleRunGlow[12];
// Told a scale played up through an octave on a newly earned cell (its display name and the
// cell's ring position); the shell connects the learning model's CreditScaleAchievement, unset
// it does nothing.
extern void (*gScaleEarnedHook)(const char* scaleName, int ringPos);

// Feeds one device note-on (MIDI note, arrival ms) to every tracker and applies completions.
void TrackAchievementNote(int note, uint32_t ms);
// Advances one tracker; direction +1 up, -1 down; true when a run has just completed.
bool StepCellPlayTrack(CellPlayTrack& track, const ScaleRow& scale, int column, int note, uint32_t ms,
                       int direction);
// Both trackers of one cell; completions go to the lists.
void TrackCellNote(int note, uint32_t ms, AchvCellList& up, AchvCellList& down, int row, int column);
// Adds (row, column) to the upward list unless it is there already.
void MarkCellCompleted(AchvCellList& up, int row, int column);
// Glow level 0..1 of the current scale and key.
float CurrentCellGlow();
// No scale-run glow (the hook stays connected).
void ResetAchievementTracking();
