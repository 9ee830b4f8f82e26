// tests/practice: a temporary program folder and fresh student-record state for each test.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "practice/achievements.h"
#include "practice/students.h"
#include "tests/support/test_support.h"

class PracticeFilesTest : public ::testing::Test {
 protected:
  PracticeFilesTest() : exe_(dir_.path()) {
    gStudents.clear();
    gActiveStudentIndex = -1;
    gStudentsLoaded = false;
    gAchvDone.clear();
    gAchvTime.clear();
    gAchvFlash.clear();
    gAchvGlow.clear();
    gAchvSheen.clear();
    gAchvEarnedAt.clear();
    gAchvUpTracks.clear();
    gAchvDownTracks.clear();
    SyncAchievementRows();
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
