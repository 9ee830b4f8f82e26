// A deleted student leaves the class rosters (and unsafe or default ids delete no file).
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/base/strings.h"
#include "classroom/attendance_classes.h"
#include "practice/students.h"
#include "tests/practice/practice_fixture.h"

class ClassRosters : public PracticeFilesTest {
 protected:
  void SetUp() override { gStudentDeletedHook = RemoveFromClassRosters; }
  void TearDown() override { gStudentDeletedHook = nullptr; }
};

// Deleting a "default" student or one with an unsafe id removes no file, but an unsafe id still
// leaves the class rosters.
TEST_F(ClassRosters, DefaultAndUnsafeIdsDeleteNoFileButLeaveTheRosters) {
  const struct { const char* id; std::vector<std::string> files; bool leavesRosters; } cases[] = {
      {"default", {"learning_progress_default.dat", "notes_default.dat", "achievements_default.dat"}, false},
      {"../victim", {"learning_progress_../victim.dat", "../victim.dat", "achievements____victim.dat"}, true},
      {" anna ", {}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    for (const std::string& f : c.files) WriteData(f, "x");
    std::string id = TrimWhitespace(c.id);
    gAttendanceClassesLoaded = true;
    gAttendanceClasses = {{"One", {id, "ben", id}}, {"Two", {"ben"}}};
    gStudents = {MakeStudent("Victim", c.id), MakeStudent("Ben", "ben")};
    gActiveStudentIndex = 1;
    DeleteStudent(0);
    for (const std::string& f : c.files) EXPECT_TRUE(DataExists(f)) << f;
    using Members = std::vector<std::string>;
    const Members kept = c.leavesRosters ? Members{"ben"} : Members{id, "ben", id};
    EXPECT_EQ(gAttendanceClasses[0].members, kept);
    EXPECT_EQ(gAttendanceClasses[1].members, Members{"ben"});
  }
  gAttendanceClasses.clear();
}
