// practice/practice_records: the best and last time of completed practice runs per student and
// region, and their file "practice_runs.dat".
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One record per (student, region).
struct PracticeRun {
  std::string studentId;
  std::string studentName;   // when the record was last updated
  std::string regionKey;     // see BuildRegionKey
  uint32_t bestMs = 0;       // shortest completed run, 0 = none
  uint32_t lastMs = 0;       // latest completed run
  int32_t runs = 0;          // completed runs, never below 0
  int64_t lastTime = 0;      // wall-clock seconds of the latest run
};

extern std::vector<PracticeRun> gPracticeRuns;   // file order, new records appended
extern bool gPracticeRunsLoaded;                 // LoadPracticeRuns has run

// "L:r0-2:c3-5" (church-mode rows) or "U:..." (list rows, catalogue indices) of the current
// run's region; "" without a region.
std::string BuildRegionKey();
// Stores a completed run of the current region for the active student and saves.
void RecordPracticeRun(uint32_t elapsedMs);
// Writes the file (only once it was loaded); a failed write marks the store dirty (SetStoreDirty).
void SavePracticeRuns();
// Drops every record of the student and saves, and drops the student's lines from the copies of
// the file kept before a rewrite: a student made later under the same id must not find a deleted
// student's times, and a deleted student's times are not kept anywhere.
void ForgetPracticeRunsOf(const std::string& studentId);
// Reads the file; a damaged file is set aside and the list starts empty.
void LoadPracticeRuns();
// The record of a student and region, or null.
const PracticeRun* FindPracticeRun(const std::string& studentId, const std::string& regionKey);
// No records and the file not read yet (a blocked file stays blocked: that is the disk's state).
void ResetPracticeRecords();
