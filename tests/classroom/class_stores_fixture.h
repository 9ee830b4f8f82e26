// The classroom stores tests' fixture: a temporary program folder, every classroom store back at its
// start, no students, and a driven clock whose local date a test sets.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "app/base/status_text.h"
#include "classroom/attendance_classes.h"
#include "classroom/attendance_records.h"
#include "classroom/class_report.h"
#include "classroom/classroom_files.h"
#include "classroom/classroom_panel_state.h"
#include "classroom/classroom_settings.h"
#include "classroom/teacher_notes.h"
#include "gfx/text_field.h"
#include "practice/students.h"
#include "tests/support/test_support.h"

class ClassStoresTest : public ::testing::Test {
 protected:
  ClassStoresTest() : exe_(dir_.path()) {
    ResetStores();
    SetToday(2025, 3, 14);
  }
  ~ClassStoresTest() override { ResetStores(); }

  static void ResetStores() {
    ResetAttendanceRecords();
    ResetAttendanceClasses();
    ResetTeacherNotes();
    ResetClassReport();
    ResetClassroomPanelState();
    ResetClassroomFiles();
    ResetTextFields();
    ResetClassroomSettings();
    gStudents.clear();
    gActiveStudentIndex = -1;
    gStudentDeletedHook = nullptr;
    gStatusText.clear();
  }
  // The local date and hour the program sees, with the wall clock seconds that belong to them.
  static void SetToday(int year, int month, int day, int hour = 12, int64_t wallSeconds = 0) {
    ClockDriveSetLocal(LocalDateTime{year, month, day, hour, 0, 0, 0, 0}, wallSeconds);
  }
  std::string Data(const std::string& name) const { return dir_.File("Data/" + name); }
  void WriteData(const std::string& name, const std::string& bytes) { WriteFileBytes(Data(name), bytes); }
  std::string ReadData(const std::string& name) const { return ReadFileBytes(Data(name)); }
  bool DataExists(const std::string& name) const { return FileExists(Data(name)); }

  TempDir dir_;
  ScopedExeDir exe_;
  ScopedDrivenClock clock_;
};
