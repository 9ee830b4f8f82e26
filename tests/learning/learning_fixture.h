// tests/learning: a temporary program folder with an empty learning model, students and status line.
#pragma once
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "app/base/status_text.h"
#include "board/grid_interaction.h"
#include "learning/attempts.h"
#include "learning/daily_blocks.h"
#include "learning/iso_dates.h"
#include "learning/learning_files.h"
#include "learning/learning_model.h"
#include "learning/learning_records.h"
#include "learning/lesson_plan.h"
#include "learning/library_index.h"
#include "learning/library_browser.h"
#include "learning/library_view_state.h"
#include "learning/note_opener.h"
#include "learning/practice_set.h"
#include "learning/schedule.h"
#include "learning/sight_score.h"
#include "midi/midi_input.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "practice/students.h"
#include "tests/support/test_support.h"
#include "theory/key_detection.h"

// Every module of the learning model, the students and the status line back at their start.
inline void ResetLearningModelForTest() {
  gStudents.clear();
  gActiveStudentIndex = -1;
  gStatusText.clear();
  ResetLibraryIndex();
  ResetLearningRecords();
  ResetDirtyStores();
  ResetLessonPlan();
  ResetLibraryViewState();
  ResetSightScore();
  ResetSchedule();
  ResetPracticeSet();
  ResetLibraryBrowser();
  gPlaybackSpeed = 1.0f;
  ResetRunSpeed();
  gPerformanceNoteOpener = nullptr;
  gSongChangeHook = ResetLearningRun;   // as the shell connects it: every song load resets the run
}

class LearningTest : public ::testing::Test {
 protected:
  LearningTest() : exe_(dir_.path()) { ResetAll(); }
  ~LearningTest() override { ResetAll(); }

  static void ResetAll() { ResetLearningModelForTest(); }
  // Writes a library index of "id category type [key]" items (authored and target tempo 100,
  // accuracy 0.9, timing 0.85) and a plan of lessons, and loads both.
  void MakeLibrary(const std::vector<std::string>& items, const std::vector<std::vector<std::string>>& lessons) {
    std::string index = "header\n";
    for (const std::string& row : items) {
      std::istringstream in(row);
      std::string id, category, type, key;
      in >> id >> category >> type >> key;
      for (char& c : type)
        if (c == '_') c = ' ';
      index += id + "\t1\t" + category + "\t" + type + "\t" + id + "\tsub\t" + key + "\t\t\t\t\t" + id +
               ".mid\t100\t100\t0.9\t0.85\t\t\t\t\n";
    }
    std::string plan = "lesson\tsection\tid\ttitle\tcount\n";
    for (size_t n = 0; n < lessons.size(); ++n)
      for (const std::string& id : lessons[n])
        plan += std::to_string(n + 1) + "\tx\t" + id + "\tLesson " + std::to_string(n + 1) + "\t" +
                std::to_string(lessons[n].size()) + "\n";
    WriteFileBytes(Lib("library_index.tsv"), index);
    WriteFileBytes(Lib("lesson_plan.tsv"), plan);
    ResetLessonPlan();
    LoadLibraryIndex();
  }
  // A run of n expected notes with landed of them, a timing score and faults.
  static PracticeRunResult Run(int expected, int landed, float timing = 1.0f, int missed = 0, int wrong = 0) {
    PracticeRunResult r;
    r.expected = expected;
    r.landed = landed;
    r.timing_score = timing;
    r.missed = missed;
    r.wrong_attempts = wrong;
    return r;
  }
  // Records a run of the item as if it had been opened on its day.
  int Attempt(const std::string& id, const PracticeRunResult& run, const std::string& day = "") {
    gPracticeItemId = id;
    gPracticeStudentKey = StudentFileKey();
    gPracticeItemDay = day;
    return RecordAttempt(run);
  }
  // The local date and time of the driven clock (the 32-bit clock follows the day's seconds).
  static void SetLocalTime(const std::string& date, int h, int m, int s, int ms = 0) {
    std::tm t;
    ParseIsoDate(date, &t);
    int64_t day;
    IsoDateDayNumber(date, &day);
    int64_t tick = 5000000000ll + (day * 86400 + h * 3600 + m * 60 + s) * 1000 + ms;
    ClockDriveSet((uint64_t)tick);
    ClockDriveSetLocal({t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, h, m, s, ms, t.tm_wday}, day * 86400 + h * 3600);
  }
  // Adds a student and makes it active (without the student module's own loading).
  void AddActive(const std::string& id) {
    Student s;
    s.name = id;
    s.id = id;
    gStudents.push_back(s);
    gActiveStudentIndex = (int)gStudents.size() - 1;
  }
  std::string Data(const std::string& name) const { return dir_.File("Data/" + name); }
  std::string Lib(const std::string& name) const { return dir_.File("MIDI/Library/" + name); }
  void WriteData(const std::string& name, const std::string& bytes) { WriteFileBytes(Data(name), bytes); }
  std::string ReadData(const std::string& name) const { return ReadFileBytes(Data(name)); }
  bool DataExists(const std::string& name) const { return FileExists(Data(name)); }

  TempDir dir_;
  ScopedExeDir exe_;
};
