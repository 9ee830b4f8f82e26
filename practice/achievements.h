// practice/achievements: the achievement matrix of the active student (one row per catalogue
// scale, one column per key on the circle), its file, its counts and its per-frame upkeep.
//
// Row r belongs to the scale at catalogue position r; column c is the ring position whose key has
// the tonic kFifthsOrder[c]. Every table has the same rows x 12 shape after SyncAchievementRows.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "theory/scale_rows.h"

// One attempt at a run in progress.
struct AttemptSlot {
  uint8_t active;
  int32_t base;     // MIDI note the degrees are measured from
  int32_t last;     // last note accepted by this attempt
  int32_t step;     // index of the scale degree expected next
  uint32_t lastMs;  // time of the last note accepted or refreshed
};

// The tracking state of one cell in one direction; all zero when reset.
struct CellPlayTrack {
  AttemptSlot slots[3];
  int32_t pendingNote;      // a stray note remembered while attempts run
  uint8_t pendingActive;
  uint32_t pendingMs;
  uint32_t lastCompleteMs;  // last completion of this tracker, 0 = none
};

template <typename T>
using AchvTable = std::vector<std::array<T, 12>>;

// ---- the matrix ----
extern AchvTable<uint8_t> gAchvDone;          // 1 = earned
extern AchvTable<int64_t> gAchvTime;          // wall-clock seconds of the last earning, 0 = never
extern AchvTable<float> gAchvFlash;           // seconds left of the flash (0.5 when earned)
extern AchvTable<float> gAchvGlow;            // seconds left of the glow (20 after a descending run)
extern AchvTable<float> gAchvSheen;           // seconds left of the sheen (2.2 when earned)
extern AchvTable<double> gAchvEarnedAt;       // GetAppSeconds at the last earning, -1 = none
extern AchvTable<CellPlayTrack> gAchvUpTracks;     // ascending-run trackers
extern AchvTable<CellPlayTrack> gAchvDownTracks;   // descending-run trackers

// Sizes every table to the catalogue (7 rows when it is empty); new rows start cleared.
void SyncAchievementRows();
// Every table emptied, then sized to the catalogue with nothing earned.
void ResetAchievements();
// Number of rows of the matrix (after a sync).
int AchievementRowCount();
// Row of a scale in the catalogue, -1 for null or absent; syncs first.
int FindScaleRow(const ScaleRow* row);
// 0 <= row < rows.
bool IsAchievementRowValid(int row);
// Cells on offer: 84 normally, in scale-list mode 12 x the visible rows.
int CountAchievementCells();
// Earned cells among the same rows.
int CountDoneAchievementCells();
// File name of the achievements of an id: "achievements.dat" for an empty (trimmed) id, else
// "achievements_" + the id's file form + ".dat".
std::string AchievementsFileName(const std::string& id);
// Data folder path of that file.
std::string GetAchievementsPath(const std::string& id);
// Writes the active student's file; a write the disk refuses is kept, with its text, and written
// again by SaveDirtyStores (SetStoreDirty), for whichever student is active by then.
void SaveAchievements();
// Clears the matrix and reads the active student's file (or what a refused save of it held).
void LoadAchievements();
// Drops a refused save of that file (its student is deleted), so it is never written again.
void ForgetRefusedAchievementsSave(const std::string& path);
// Per-frame pass: a done cell without a time is cleared; saves when something changed.
void CleanAchievements();
// Lowers every positive flash, glow and sheen by the frame step, never below 0.
void DecayAchievementTimers(float dt);
// Zeroes a tracker.
void ResetCellPlayTrack(CellPlayTrack& track);
