// tests/practice: a temporary program folder with empty student and achievement records, and on
// top of it the practice view at 1600 x 900 with its view flags and scale selection back at a
// known start.
#pragma once
#include <gtest/gtest.h>
#include <string>

#include "app/base/client_size.h"
#include "app/base/status_text.h"
#include "app/base/view_modes.h"
#include "practice/achievements.h"
#include "practice/data_files.h"
#include "practice/practice_run_state.h"
#include "practice/students.h"
#include "tests/support/test_support.h"
#include "theory/scale_selection.h"

class PracticeFilesTest : public ::testing::Test {
 protected:
  PracticeFilesTest() : exe_(dir_.path()) {
    ResetStudents();
    ResetAchievements();
    ResetDirtyStores();
  }
  std::string Data(const std::string& name) const { return dir_.File("Data/" + name); }
  std::string Exe(const std::string& name) const { return dir_.File(name); }
  void WriteData(const std::string& name, const std::string& bytes) { WriteFileBytes(Data(name), bytes); }
  std::string ReadData(const std::string& name) const { return ReadFileBytes(Data(name)); }
  bool DataExists(const std::string& name) const { return FileExists(Data(name)); }

  TempDir dir_;
  ScopedExeDir exe_;
};

// A student with the default colour.
inline Student MakeStudent(const std::string& name, const std::string& id) {
  Student s;
  s.name = name;
  s.id = id;
  return s;
}

class PracticeViewTest : public PracticeFilesTest {
 protected:
  void SetUp() override {
    gClientWidth = 1600;
    gClientHeight = 900;
    ResetViewModes();
    gPracticeState = kPracticeOff;
    gPracticeStrip = true;
    gPracticeStripFade = 1.0f;
    gStatusText.clear();
    ResetScaleSelection();
  }
  void TearDown() override {
    gPracticeState = kPracticeOff;
    ResetScaleSelection();
  }

  // Marks a cell earned, with its timers running.
  static void Earn(int row, int col) {
    gAchvDone[row][col] = 1;
    gAchvTime[row][col] = 1700000000;
    gAchvFlash[row][col] = 0.5f;
    gAchvGlow[row][col] = 20.0f;
    gAchvSheen[row][col] = 2.2f;
    gAchvUpTracks[row][col].lastCompleteMs = 77;
  }

  ScopedDrivenClock clock_;
};
