// learning/learning_files: the student file key, the learning file paths, backups and the one
// atomic writer of the learning and classroom stores.
#include "learning/learning_files.h"

#include <mutex>
#include <thread>

#include "app/base/folders.h"
#include "app/base/logs.h"
#include "app/base/status_text.h"
#include "app/base/strings.h"
#include "platform/clock.h"
#include "platform/file_replace.h"
#include "practice/data_files.h"
#include "practice/students.h"

// ---- constants ----
static const int kSaveTries = 4;            // final moves tried before giving up
static const uint32_t kSaveRetryMs = 20;    // pause after each failed move

// ---- state ----
std::string gStudentFileKeyOverride;                              // see the header
static const std::thread::id kUiThread = std::this_thread::get_id();  // static init runs on main
static std::mutex gSaveFailureMutex;                              // guards the slot below
static bool gSaveFailurePending = false;                          // a worker's save failed
static unsigned gUiSaveFailures = 0;                              // saves failed on the UI thread

// ---- internal helpers ----
// "" without a Data folder: the records are then not kept anywhere, never in the current folder.
static std::string LearningFilePath(const char* prefix) {
  std::string folder = GetDataFolder();
  return folder.empty() ? "" : folder + prefix + StudentFileKey() + ".dat";
}

static void ReportSaveFailure() {
  if (std::this_thread::get_id() == kUiThread) {
    ++gUiSaveFailures;
    gStatusText = kSaveFailureMessage;
    return;
  }
  std::lock_guard<std::mutex> lock(gSaveFailureMutex);
  gSaveFailurePending = true;
}

// ---- public functions ----
std::string StudentFileKeyOf(const std::string& studentId) {
  std::string id = TrimWhitespace(studentId);
  return id.empty() ? "default" : StudentFileId(id);
}

std::string StudentFileKey() {
  if (!gStudentFileKeyOverride.empty()) return gStudentFileKeyOverride;
  if (gActiveStudentIndex >= 0 && gActiveStudentIndex < (int)gStudents.size())
    return StudentFileKeyOf(gStudents[gActiveStudentIndex].id);
  return "default";
}

std::string ProgressFilePath() { return LearningFilePath("learning_progress_"); }
std::string MasteryFilePath() { return LearningFilePath("learning_mastery_"); }
std::string ScheduleFilePath() { return LearningFilePath("learning_schedule_"); }
std::string CalendarFilePath() { return LearningFilePath("learning_calendar_"); }
std::string PracticeLoadFilePath() { return LearningFilePath("learning_practiceload_"); }

bool CopyFileWhenAbsent(const std::string& from, const std::string& to) {
  return CopyFileIfAbsent(from, to, to + ".tmp");
}

void BackupLearningFiles() {
  for (const std::string& path : {ProgressFilePath(), MasteryFilePath(), ScheduleFilePath(), CalendarFilePath()})
    CopyFileWhenAbsent(path, KeptCopyPath(path, 1));
}

bool SaveFileAtomic(const std::string& path, const std::string& text, FileAccess access) {
  std::string error;
  for (int attempt = 1; attempt <= kSaveTries; ++attempt) {
    if (ReplaceFileWithContent(path, text, &error, access == FileAccess::kOwnerOnly)) return true;
    // Only the final move is worth retrying (a scanner or a sync client holds the target for a
    // moment); a file that cannot be written fails at once.
    if (error.compare(0, 6, "rename") != 0) break;
    ClockSleepMs(kSaveRetryMs);
  }
  DebugLog("[learning] could not save %s (%s)\n", path.c_str(), error.c_str());
  ReportSaveFailure();
  return false;
}

unsigned UiSaveFailures() { return gUiSaveFailures; }

void TakeSaveFailureStatus() {
  std::lock_guard<std::mutex> lock(gSaveFailureMutex);
  if (!gSaveFailurePending) return;
  gSaveFailurePending = false;
  gStatusText = kSaveFailureMessage;
}
