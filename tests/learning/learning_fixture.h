// tests/learning: a temporary program folder with an empty learning model, students and status line.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "app/app_state.h"
#include "learning/learning_files.h"
#include "learning/learning_records.h"
#include "learning/learning_model.h"
#include "learning/lesson_plan.h"
#include "learning/library_index.h"
#include "learning/library_view_state.h"
#include "learning/pending.h"
#include "learning/sight_score.h"
#include "practice/students.h"
#include "tests/support/test_support.h"

class LearningTest : public ::testing::Test {
 protected:
  LearningTest() : exe_(dir_.path()) { ResetAll(); }
  ~LearningTest() override { ResetAll(); }

  static void ResetAll() {
    gStudents.clear();
    gActiveStudentIndex = -1;
    gStatusText.clear();
    ResetLibraryIndex();
    ResetLearningRecords();
    ResetLessonPlan();
    ResetLibraryViewState();
    ResetSightScore();
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
