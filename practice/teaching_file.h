// practice/teaching_file: each student's teaching file ("teaching_" + id + ".json"): its reader,
// its writer, and the background save with its count of saves in flight.
//
// The reader is not a general JSON parser: it finds keys by text search and accepts what the
// writer writes plus small variations of spacing. Saves run on detached threads with a copy of
// the data; saves of one file land in the order they were started, and one that failed is kept
// to be written again.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "practice/teaching_state.h"

// What a save writes, copied out of the record so the writer thread owns it.
struct TeachingSaveJob {
  std::string path;                                  // target file
  std::string studentId;
  std::string studentName;
  int32_t difficulty = 5;
  std::vector<int32_t> practiceScales;
  std::vector<TeachingAttendanceEntry> attendance;
  uint64_t generation = 0;                           // order of the save among all saves
};

// Saves started and not yet finished.
extern std::atomic<int> gPendingSaves;
// Set by a save that failed; the UI thread clears it when it has told the user.
extern std::atomic<bool> gTeachingSaveFailed;

// The id's part of the file name: "" becomes "default"; an id of only a-z, A-Z, 0-9, '-' and '_'
// stays as it is while it fits a file name; any other id takes its hashed form, so no two ids
// share a file.
std::string SanitizeStudentId(const std::string& id);
// dataFolder joined with "teaching_" + sanitised id + ".json"; "" without a data folder.
std::string TeachingFilePath(const TeachingState& s);
// Older places of the file: the parent of dataFolder, then its parent, under the file's name and
// then under the name older versions gave it (unless another student holds that name as its id).
std::vector<std::string> TeachingFileCandidates(const TeachingState& s);
// Escapes '"', '\\', line feed, carriage return and tab by backslash, other bytes below 0x20 as
// \u00XX; everything else (UTF-8 included) is copied.
std::string JsonEscapeBasic(const std::string& s);
// The first "key" in text that blanks and a colon follow (a string value that reads like the key
// is passed over), then a decimal integer (truncated to 32 bits) or a number; out is written only
// when something was parsed.
bool JsonFindInt(const std::string& text, const char* key, int* out);
bool JsonFindFloat(const std::string& text, const char* key, float* out);
// A float as the file writes it: at most six significant digits, no trailing zeros.
std::string FormatTeachingFloat(float v);
// The whole file text of a job, with the save time already formatted "%Y-%m-%dT%H:%M:%S".
std::string FormatTeachingJson(const TeachingSaveJob& job, const std::string& savedLocalTime);
// Reads the record's file (or an older copy) into lastDifficulty, savedPracticeScales and
// attendance; false when nothing was read (missing, empty, not a teaching file, or another
// version). A cut or garbled file is read up to its flaw, and a data-folder file read only in part
// is kept as read (".bak") before a save replaces it. A data-folder file that is not read for being
// unreadable, no teaching file or of another version is set aside (".bad", ".bad2" ...), so the
// next save starts a fresh file beside it.
bool ReadTeachingFile(TeachingState& s);
// Starts a background save of the record's student, difficulty, plan and attendance.
void SaveTeachingStateAsync(const TeachingState& s);
// The writer: temporary file, sync, rename over the target; owns and deletes the job and lowers
// gPendingSaves before it returns. A failure is logged, raises gTeachingSaveFailed and keeps the
// job, marking the teaching store dirty (SetStoreDirty) until a later save of that file lands.
void WriteTeachingJsonThread(TeachingSaveJob* job);
// Drops the kept failed save of the file at path: a deleted student's file must not come back.
void ForgetFailedTeachingSave(const std::string& path);
// No failed save kept.
void ResetFailedTeachingSaves();
// Waits while saves are in flight, at most 200 times 10 ms; true when none is left.
bool WaitForPendingSaves();
// The text to the debug output, with a line feed added when it is empty or lacks one.
void DebugTraceLine(const std::string& text);
