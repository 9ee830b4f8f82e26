// learning/learning_record_files: loading and saving a student's learning files, the migration of
// the single files of earlier versions, damaged files, and the change of the active student.
#include <functional>
#include <unordered_set>

#include "app/base/folders.h"
#include "app/base/logs.h"
#include "board/grid_interaction.h"
#include "learning/daily_blocks.h"
#include "learning/learning_files.h"
#include "learning/learning_model.h"
#include "learning/learning_records.h"
#include "learning/lessons.h"
#include "learning/library_index.h"
#include "learning/library_view_state.h"
#include "learning/library_browser.h"
#include "learning/practice_set.h"
#include "learning/schedule.h"
#include "midi/midi_input.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/file_replace.h"
#include "practice/data_files.h"
#include "practice/students.h"

// ---- constants ----
// The single files of earlier versions and the names they move to.
static const char* const kMigratedFiles[4][2] = {
    {"learning_progress.dat", "learning_progress_default.dat"},
    {"learning_mastery.dat", "learning_mastery_default.dat"},
    {"learning_schedule.dat", "learning_schedule_default.dat"},
    {"learning_calendar.dat", "learning_calendar_default.dat"}};

// ---- state ----
static bool gLearningMigrationDone = false;            // the one-time migration ran this run
static std::unordered_set<std::string> gBlockedPaths;  // damaged files that could not be moved aside
static std::unordered_set<std::string> gCopyAsidePaths;  // partly bad files to copy before a rewrite
static std::unordered_set<std::string> gChangedPaths;    // files read whole that a rewrite changes

// ---- internal helpers ----
// Not any line of the file is of its format (a mastery file with neither header nor row, a
// calendar without "PLAN" or "DATE").
using FormatTest = std::function<bool(const std::vector<std::string>&)>;

static bool HasNul(const std::vector<std::string>& lines) {
  for (const std::string& line : lines)
    if (line.find('\0') != std::string::npos) return true;
  return false;
}

static bool AllEmpty(const std::vector<std::string>& lines) {
  for (const std::string& line : lines)
    if (!line.empty()) return false;
  return true;
}

static void MoveAsideOrBlock(const std::string& path, const char* reason) {
  if (!SetAsideDataFile(path, reason)) gBlockedPaths.insert(path);
}

// Reads one learning file through its reader, setting aside what cannot be trusted. A file the
// reader passed over part of (a skipped line, a value not read whole) is copied aside as damaged
// as it is read; one read whole that would not be written back as it was read (an
// older layout, a repaired lesson number) is kept as the other stores keep theirs. The files
// whose writer ends every line (all but the practice load) are cut when their last line has no
// line feed: that line is not read (a row cut short would pass for one of an older layout).
static void LoadOneFile(const std::string& path, int (*reader)(const std::vector<std::string>&),
                        std::string (*writer)(), const FormatTest& isItsFormat, bool linesEnded = true) {
  // Each load judges the file afresh: one that could not be moved aside once may be now.
  gBlockedPaths.erase(path);
  gCopyAsidePaths.erase(path);
  gChangedPaths.erase(path);
  std::vector<std::string> lines;
  std::string raw;
  DataFileRead read = ReadDataFileLines(path, &lines, &raw);
  if (read == DataFileRead::kMissing) return;
  if (read == DataFileRead::kUnreadable) return MoveAsideOrBlock(path, "cannot be read");
  if (HasNul(lines)) return MoveAsideOrBlock(path, "holds a NUL byte");
  if (!AllEmpty(lines) && isItsFormat && !isItsFormat(lines)) return MoveAsideOrBlock(path, "is not a learning file");
  bool cut = linesEnded && !raw.empty() && raw.back() != '\n' && !lines.empty();
  if (cut) {
    DebugLog("[learning] %s ends in a line without its line feed; that line is not read\n", path.c_str());
    lines.pop_back();
  }
  if (reader(lines) > 0 || cut) {
    // Copied and named now, not at the first rewrite: the mastery and progress files may not be
    // written back before the close, and until then the records look lost without a word. A copy
    // that fails now is tried again before the rewrite.
    if (!CopyAsideDataFile(path, "not read whole")) gCopyAsidePaths.insert(path);
  } else if (!raw.empty() && writer() != raw)
    gChangedPaths.insert(path);
}

static bool SaveLearningFile(const std::string& path, const std::string& text) {
  if (gBlockedPaths.count(path)) {
    DebugLog("[learning] %s is damaged and could not be moved aside; not saved\n", path.c_str());
    return false;
  }
  if (gCopyAsidePaths.count(path)) {
    // What the reader passed over is only in the file: it is not replaced until a copy holds it.
    if (!CopyAsideDataFile(path, "not read whole")) return false;
    gCopyAsidePaths.erase(path);
  }
  if (gChangedPaths.count(path)) {
    // A file as read that cannot be kept is not replaced; a later save tries again.
    std::string read;
    if (ReadDataFileBytes(path, &read) == DataFileRead::kOk && !KeepCopyBeforeRewrite(path, read, text)) return false;
    gChangedPaths.erase(path);
  }
  return SaveFileAtomic(path, text);
}

static std::string PracticeLoadText() { return std::to_string(gPracticeLoad); }

// The saver of the practice load as a dirty store.
static void SavePracticeLoadAgain() { SavePracticeLoad(); }

static void MigrateSingleFiles() {
  if (gLearningMigrationDone) return;
  gLearningMigrationDone = true;
  std::string folder = GetDataFolder();
  for (const auto& pair : kMigratedFiles) CopyFileWhenAbsent(folder + pair[0], folder + pair[1]);
}

// ---- public functions ----
void SaveProgress() { SaveLearningFile(ProgressFilePath(), ProgressFileText()); }
void SaveMastery() { SaveLearningFile(MasteryFilePath(), MasteryFileText()); }
void SaveSchedule() { SaveLearningFile(ScheduleFilePath(), ScheduleFileText()); }
void SaveCalendar() { SaveLearningFile(CalendarFilePath(), CalendarFileText()); }
bool SavePracticeLoad() {
  // The other four files are written again by the close and on a switch of students; the load is
  // written only when it is chosen, so a choice the disk refused waits as a dirty store.
  bool saved = SaveLearningFile(PracticeLoadFilePath(), PracticeLoadText());
  SetStoreDirty(SavePracticeLoadAgain, !saved);
  return saved;
}

void LoadLearningFiles() {
  MigrateSingleFiles();
  if (gLearningFilesLoaded) return;
  gLearningFilesLoaded = true;
  SetStoreDirty(SavePracticeLoadAgain, false);   // the load becomes the file's
  BackupLearningFiles();
  gOpenSyllabusCount = -1;
  LoadOneFile(ProgressFilePath(), ReadProgressLines, ProgressFileText, nullptr);
  LoadOneFile(MasteryFilePath(), ReadMasteryLines, MasteryFileText, [](const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
      if (line.rfind("id\t", 0) == 0 || (SplitTabs(line).size() >= 8 && line[0] != '\t')) return true;
    return false;
  });
  LoadOneFile(ScheduleFilePath(), ReadScheduleLines, ScheduleFileText, nullptr);
  LoadOneFile(PracticeLoadFilePath(), ReadPracticeLoadLines, PracticeLoadText, nullptr, false);
  LoadOneFile(CalendarFilePath(), ReadCalendarLines, CalendarFileText, [](const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
      if (line.rfind("PLAN\t", 0) == 0 || line.rfind("DATE\t", 0) == 0) return true;
    return false;
  });
  gLoadedStudentKey = StudentFileKey();
}

void OnStudentChanged() {
  if (!gLibraryLoaded) return;
  if (!gLoadedStudentKey.empty() && gLoadedStudentKey != StudentFileKey()) gStudentFileKeyOverride = gLoadedStudentKey;
  SaveCalendar();
  SaveMastery();
  SaveProgress();
  SaveSchedule();
  SaveDirtyStores();   // a practice load the disk refused still goes to its student
  gStudentFileKeyOverride.clear();

  gMasteryRecords.clear();
  gCompletedItems.clear();
  gScheduleItems.clear();
  gLearningCalendar.clear();
  gScheduleDate.clear();
  gCalendarPlanId.clear();
  gUnlockedTypeKeys.clear();
  gSelectedCards.clear();
  gViewingPlannedDay.clear();
  gPlannedLessonNumber = 0;
  gLevelFilter = -1;
  gCurrentLearningDay.clear();
  gLibraryScroll = 0.0f;
  gPracticeItemId.clear();
  gPracticeStudentKey.clear();
  gPracticeItemDay.clear();
  gPracticeLoad = 1;
  ClearPracticeSet();

  gLearningFilesLoaded = false;
  LoadLearningFiles();
  RebuildSchedule();
  SortLibraryItems();
}

void ResetLearningRecords() {
  gMasteryRecords.clear();
  gCompletedItems.clear();
  gScheduleDate.clear();
  gScheduleItems.clear();
  gLearningCalendar.clear();
  gCalendarPlanId.clear();
  gPracticeLoad = 1;
  gLearningFilesLoaded = false;
  gLoadedStudentKey.clear();
  gStudentFileKeyOverride.clear();
  gLearningMigrationDone = false;
  gBlockedPaths.clear();
  gCopyAsidePaths.clear();
  gChangedPaths.clear();
}
