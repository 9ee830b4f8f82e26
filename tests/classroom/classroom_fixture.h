// tests/classroom: a temporary Data folder, the classroom state reset, the test authority trusted,
// short time limits, and a watch on the debug log: no test may log the device token or the
// teacher code.
#pragma once
#include <gtest/gtest.h>
#include <string>

#include "classroom/attendance_sync.h"
#include "classroom/background_job.h"
#include "classroom/class_operations.h"
#include "classroom/classroom_panel_state.h"
#include "classroom/code_entries.h"
#include "classroom/institution_panel_state.h"
#include "classroom/classroom_codes.h"
#include "classroom/classroom_settings.h"
#include "learning/learning_files.h"
#include "platform/https.h"
#include "tests/support/https_test_server.h"
#include "tests/support/test_support.h"

// Credentials the tests use; they must never reach a log line.
inline const char kTestToken[] = "tok-Secret-71f3";
inline const char kTestTeacherCode[] = "ORG:acme:t1:x:admin";

class ClassroomTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetClassroomSettings();
    ResetClassroomCodes();
    ResetAttendanceSync();
    ResetClassOperations();
    ResetCodeEntries();
    ResetInstitutionPanelState();
    gInstitutionPanelMessage.clear();
    HttpsSetCaFileForTesting(TestCaFile());
    HttpsSetTimeoutsForTesting(2000, 1000, 6000);
  }
  void TearDown() override {
    EXPECT_TRUE(WaitForClassroomWorkers(10000));
    std::string log = log_.Text();
    EXPECT_EQ(log.find(kTestToken), std::string::npos) << log;
    EXPECT_EQ(log.find(kTestTeacherCode), std::string::npos) << log;
    HttpsSetCaFileForTesting("");
    HttpsSetTimeoutsForTesting(0, 0, 0);
  }
  // Writes Data "classroom.txt" with these lines and reads it.
  void Settings(const std::string& lines) {
    WriteFileBytes(DataFile("classroom.txt"), lines);
    LoadClassroomSettings();
  }
  // A device of an institution with a token, talking to server ("" for none).
  void InstitutionDevice(const std::string& server) {
    Settings((server.empty() ? "" : "server=" + server + "/\n") + "institution=ORG:acme:pupil\ntoken=" +
             kTestToken + "\n");
  }
  // A teacher's device (its institution code ends in "admin") holding the teacher code.
  void TeacherDevice(const std::string& server) {
    Settings("server=" + server + "\ninstitution=ORG:acme:t1:x:admin\ntoken=" + kTestToken + "\n");
    SaveTeacherToken(kTestTeacherCode);
  }
  std::string DataFile(const std::string& name) const { return dir_.path() + "/Data/" + name; }
  bool WaitIdle() { return WaitForClassroomWorkers(10000); }

  TempDir dir_;
  ScopedExeDir exe_{dir_.path()};
  DebugCapture log_;
};
