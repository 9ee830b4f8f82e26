// learning/learning_files: where a student's learning records live and how every learning and
// classroom file is written.
//
// A student's five learning files are named by a prefix, the student file key and ".dat" in the
// Data folder. The key is the active student's trimmed id in its safe file-name form (so no id
// leads outside the Data folder), "default" without one, or the override while the previous
// student's records are being saved. SaveFileAtomic replaces a file whole; a failure leaves the
// old file, removes the temporary one and says so on the status line.
#pragma once
#include <string>

#include "practice/data_files.h"   // kSaveFailureMessage, the status text of a failed save

extern std::string gStudentFileKeyOverride;   // while non-empty, names the files instead of the student

// The file key of an id: the trimmed id in its safe file-name form, "default" when it is empty.
// Every per-student learning and classroom file is named by it.
std::string StudentFileKeyOf(const std::string& studentId);
// The override, else the active student's file key, else "default".
std::string StudentFileKey();
// Data folder + prefix + StudentFileKey() + ".dat"; recomputed on every call.
std::string ProgressFilePath();
std::string MasteryFilePath();
std::string ScheduleFilePath();
std::string CalendarFilePath();
std::string PracticeLoadFilePath();

// Keeps one ".bak" copy of the progress, mastery, schedule and calendar files of the current key;
// an existing copy is never replaced, a missing file is passed over.
void BackupLearningFiles();
// Copies from to to only when to does not exist, through a temporary file beside to; quiet.
bool CopyFileWhenAbsent(const std::string& from, const std::string& to);

// Who may read a saved file.
enum class FileAccess {
  kShared,      // the usual mode of the user's files
  kOwnerOnly,   // credentials: readable and writable by the owner alone
};

// Writes text to path through a fresh temporary file beside it: up to four tries of the final
// move, 20 ms apart. On failure the old file stays, no temporary file is left, and the failure
// message goes to gStatusText
// (on the UI thread) or to a guarded slot that TakeSaveFailureStatus moves there (other threads).
bool SaveFileAtomic(const std::string& path, const std::string& text,
                    FileAccess access = FileAccess::kShared);
// Saves that failed on the UI thread so far: comparing two counts tells a caller whether its own
// saves failed, whose message must then not be covered by the caller's own news.
unsigned UiSaveFailures();
// On the UI thread, once a frame: shows a failure reported by a save on another thread.
void TakeSaveFailureStatus();
