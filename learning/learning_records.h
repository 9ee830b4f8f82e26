// learning/learning_records: a student's learning state in memory and its five files in the Data
// folder: the progress set, the mastery records, the day schedule, the calendar and the practice
// load. The files are plain text, "\n" line ends, TAB-separated, written whole through
// SaveFileAtomic; see each builder below for its exact layout.
//
// A damaged file is never lost: one that exists but cannot be read, holds a NUL byte or is not
// its format is moved aside (".bad") before anything is saved over it, and when it cannot be moved
// its path is not written this run; one whose reader skipped bad lines is copied aside once before
// it is first rewritten.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "learning/id_hash.h"

// The record of one library item for the active student.
struct MasteryRecord {
  int32_t attempts = 0;
  int32_t passes = 0;                  // attempts that passed the daily test
  int32_t distinct_pass_days = 0;      // dates with at least one pass
  float best_accuracy = 0;             // 0..1
  float best_timing = 0;               // 0..1
  float best_bpm = 0;                  // best tempo of a passing attempt
  float latest_accuracy = 0;
  float latest_timing = 0;
  float latest_bpm = 0;
  int32_t latest_expected = 0, latest_landed = 0, latest_perfect = 0, latest_good = 0,
          latest_late_or_early = 0, latest_missed = 0, latest_hold_breaks = 0,
          latest_wrong_attempts = 0, latest_early = 0, latest_late = 0;   // counts, >= 0
  float latest_mean_abs_timing_ms = 0;     // >= 0
  float latest_mean_signed_timing_ms = 0;
  int32_t latest_vel_samples = 0;
  float latest_mean_velocity = 0;          // 0..127
  float latest_timing_std_ms = 0;          // >= 0
  float latest_vel_stdev = 0;              // >= 0
  int32_t latest_dynamics_state = 0;       // feedback pairs: state 0..4, value 0..1
  float latest_dynamics = 0;
  int32_t latest_rhythm_state = 0;
  float latest_rhythm = 0;
  int32_t latest_articulation_state = 0;
  float latest_articulation = 0;
  int32_t latest_pedal_state = 0;
  float latest_pedal = 0;
  int32_t latest_intervals_state = 0;
  float latest_intervals = 0;
  int32_t latest_intervals_weakest = 0;    // 0..7
  bool latest_passed = false;
  std::string last_attempt_date;           // "" when none
  std::string last_pass_date;              // "" when none
  bool placed_by_source = false;           // set by a placement; the next attempt clears it
  bool legacy_targets = false;             // judged by the item's legacy targets
};

// One day of the learning calendar.
struct CalendarDay {
  std::vector<std::string> assigned;                 // blocks in order, no duplicates
  std::unordered_set<std::string, IdHash> complete;  // ids done on the day
  int32_t lesson = 0;                                // lesson number, >= 1 after loading
};

// ---- state ----
extern std::unordered_map<std::string, MasteryRecord, IdHash> gMasteryRecords;
extern std::unordered_set<std::string, IdHash> gCompletedItems;   // the progress set
extern std::string gScheduleDate;                                 // the day the schedule was made
extern std::unordered_set<std::string, IdHash> gScheduleItems;
extern std::map<std::string, CalendarDay> gLearningCalendar;      // by date, ascending
extern std::string gCalendarPlanId;                               // plan identifier of the calendar
extern int32_t gPracticeLoad;                                     // 0..3, initial 1
extern bool gLearningFilesLoaded;                                 // the current key's files are read
extern std::string gLoadedStudentKey;                             // the key they were read under

// AtofField of a column limited to 0..1 (0 when the column is missing).
float ParseUnitColumn(const std::vector<std::string>& columns, size_t index);

// Whole file texts of the current state.
std::string ProgressFileText();
std::string MasteryFileText();
std::string ScheduleFileText();
std::string CalendarFileText();

// Readers of a file's lines into the state (they add; they do not clear first). Each returns the
// number of lines it had to skip as malformed or could read only in part (a value not read whole).
int ReadProgressLines(const std::vector<std::string>& lines);
int ReadMasteryLines(const std::vector<std::string>& lines);
int ReadScheduleLines(const std::vector<std::string>& lines);
int ReadCalendarLines(const std::vector<std::string>& lines);   // includes the lesson repair
int ReadPracticeLoadLines(const std::vector<std::string>& lines);

// Write one file of the active student (errors go to the status line through SaveFileAtomic).
void SaveProgress();
void SaveMastery();
void SaveSchedule();
void SaveCalendar();
// False when the file was not written (the choice itself stands in memory, and the store is
// marked dirty until a save of it lands: SetStoreDirty).
bool SavePracticeLoad();

// Reads the current student's files (once per student; after a one-time migration of the single
// files of earlier versions to the "_default" names).
void LoadLearningFiles();
// After a change of the active student: saves the previous student's files under the previous
// key, clears the learning state and loads the new student's.
void OnStudentChanged();
// Empties the records and forgets what was loaded, migrated, set aside or blocked (tests).
void ResetLearningRecords();
