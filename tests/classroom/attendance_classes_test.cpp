// The class rosters: the file read and written back, members toggled, classes added and renamed,
// and the students a class filter lists.
#include <gtest/gtest.h>

#include "tests/classroom/class_stores_fixture.h"

using ClassRosterFile = ClassStoresTest;
using Members = std::vector<std::string>;

TEST_F(ClassRosterFile, FileReadAndWrittenBack) {
  const struct { const char* what; std::string file, rewritten; } cases[] = {
      {"members before the first class go nowhere", "MEMBER\tx\nCLASS\tA\nMEMBER\tanna\n", "CLASS\tA\nMEMBER\tanna\n"},
      {"an empty name is a class, a line without a tab is not", "CLASS\t\nCLASS\nMEMBER\tb\n", "CLASS\t\nMEMBER\tb\n"},
      {"CRLF read, LF written; values keep their tabs and blanks", "CLASS\tA\tB \r\nMEMBER\t a\r\n\r\nOTHER\tz\r\n",
       "CLASS\tA\tB \nMEMBER\t a\n"},
      {"duplicate members stay", "CLASS\tA\nMEMBER\ta\nMEMBER\ta\n", "CLASS\tA\nMEMBER\ta\nMEMBER\ta\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ResetAttendanceClasses();
    WriteData("attendance_classes.dat", c.file);
    LoadAttendanceClasses();
    SaveAttendanceClasses();
    EXPECT_EQ(ReadData("attendance_classes.dat"), c.rewritten);
  }
  // Read once per run: a change on disk is not seen.
  WriteData("attendance_classes.dat", "CLASS\tNew\n");
  LoadAttendanceClasses();
  EXPECT_EQ(gAttendanceClasses.size(), 1u);
  EXPECT_EQ(gAttendanceClasses[0].name, "A");
}

TEST_F(ClassRosterFile, MembersClassesAndRenames) {
  WriteData("attendance_classes.dat", "CLASS\tA\nMEMBER\tanna\nMEMBER\tben\n");
  gClassDeleteArmedIndex = 0;
  AddAttendanceClass();
  EXPECT_EQ(gAttendanceClasses[1].name, "Class 2");
  EXPECT_EQ(gClassFilterIndex, 1);
  EXPECT_EQ(gClassDeleteArmedIndex, -1);

  ToggleClassMember(0, "anna");
  ToggleClassMember(0, "anna");   // back in, at the end
  ToggleClassMember(1, "cy");
  ToggleClassMember(5, "cy");     // no such class
  EXPECT_EQ(gAttendanceClasses[0].members, (Members{"ben", "anna"}));
  EXPECT_TRUE(IsClassMember(1, "cy"));
  EXPECT_FALSE(IsClassMember(-1, "cy"));

  // A blank name keeps the old one; every commit ends the rename.
  for (const char* typed : {"   ", "  Piano 1 "}) {
    gRenameClassIndex = 1;
    gClassRenameField.text = typed;
    CommitClassRename();
    EXPECT_EQ(gRenameClassIndex, -1);
  }
  EXPECT_EQ(ReadData("attendance_classes.dat"),
            "CLASS\tA\nMEMBER\tben\nMEMBER\tanna\nCLASS\tPiano 1\nMEMBER\tcy\n");

  gStudents = {Student{"Anna", "anna"}, Student{"Ben", "ben"}, Student{"Cy", "cy"}};
  const struct { int filter; std::vector<int> listed; } filters[] = {{-1, {0, 1, 2}}, {0, {0, 1}}, {1, {2}}, {2, {}}};
  for (const auto& f : filters) {
    gClassFilterIndex = f.filter;
    EXPECT_EQ(StudentsOfSelectedClass(), f.listed) << f.filter;
  }
}
